#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "model/FileDigest.h"
#include "tests/link/TempDir.h"
#include "tests/model/FakeScriptRunner.h"
#include "tests/ui/FakePrompter.h"
#include "transfer/Base64.h"
#include "transfer/PythonFiles.h"

namespace {

const std::string kFetchedBlink =
    "\r\n<rci_reply version='1.1'><do_command target='file_system'>"
    "<get_file name='/WEB/python/blink.py'><data size='5' encode='base64'>aGVs\r\nbG8=</data>"
    "</get_file></do_command></rci_reply>\r\n";

// Answers fetch batches: the document request, the fetch, the digest.
FakeScriptRunner FetchAnswers(std::vector<std::string> fetchReplies, std::string digest) {
    auto replies = std::make_shared<std::vector<std::string>>(std::move(fetchReplies));
    return FakeScriptRunner([replies, digest](CommandJob& job) {
        if (job.GetCommand().starts_with("<rci_request")) {
            Answer(job, replies->empty() ? "" : replies->front());
            if (!replies->empty())
                replies->erase(replies->begin());
        } else {
            Answer(job, job.GetCommand().starts_with("at&usbinterface=41") ? digest : "");
        }
    });
}

}  // namespace

TEST(PythonFiles, ListTakesOnlyEntriesWithNameAndSizeInReplyOrder) {
    const std::vector<GatewayFile> files =
        ParseFileList(
            "junk<RCI_REPLY><Do_Command><LS dir='/WEB/python'><file name='z.py' size='10'/>"
            "<file name='nosize.py'/><dir name='sub' size='0'/>"
            "<FILE name='a b.py' size='7'/></LS></Do_Command></RCI_REPLY>\r\nOK")
            .value();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "z.py");
    EXPECT_EQ(files[1].name, "a b.py");
    EXPECT_EQ(files[1].size, "7");
    // No list is not an empty list.
    EXPECT_FALSE(ParseFileList("<rci_reply><do_command></do_command></rci_reply>"));
    EXPECT_FALSE(ParseFileList("<rci_reply><do_command><ls>"));
    EXPECT_TRUE(ParseFileList("<rci_reply><do_command><ls/></do_command></rci_reply>")->empty());
}

TEST(PythonFiles, Base64SkipsJunkAndStopsAtPadding) {
    EXPECT_EQ(DecodeBase64("aGVs\r\nbG8="), "hello");
    EXPECT_EQ(DecodeBase64(" a G V s b G 8 g d w = = "), "hello w");
    EXPECT_EQ(DecodeBase64("aGk=aGk="), "hi");
    EXPECT_EQ(DecodeBase64("aGVsbG8gd"), "hello ");  // a trailing part group yields nothing
    EXPECT_EQ(DecodeBase64(""), "");
    EXPECT_EQ(DecodeBase64("////"), "\xff\xff\xff");
}

TEST(PythonFiles, FetchReplyWithoutGetFileOrDataOffersRetry) {
    TempDir dir;
    const std::string saved = (dir.Path() / "blink.py").string();
    FakeScriptRunner runner = FetchAnswers(
        {"<rci_reply><do_command><get_file name='/WEB/python/blink.py'/></do_command></rci_reply>",
         "<rci_reply><do_command/></rci_reply>", kFetchedBlink},
        "5d41402abc4b2a76b9719d911017c592");
    FakePrompter prompter;
    prompter.retryAnswers = {true, true};
    prompter.fileAnswers = {saved};

    DownloadPythonFiles(runner, prompter, {{"blink.py", "5"}});

    ASSERT_EQ(prompter.retryQuestions.size(), 2u);
    EXPECT_EQ(prompter.retryQuestions[0].text,
              "File download failed.\r\nSelect Retry to attempt the file download again.");
    std::ifstream file(saved, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(file)), {}), "hello");
    const JobList& last = runner.Ran();
    ASSERT_EQ(last.size(), 3u);
    EXPECT_EQ(last[0].GetText(), "Retrieving blink.py (5 bytes) from the Device...");
    EXPECT_EQ(last[1].GetTimeout(), 40000);
    EXPECT_GE(last[1].GetExtra(), 5);
}

TEST(PythonFiles, DownloadDigestMismatchOffersRetryAndKeepsTheFile) {
    TempDir dir;
    const std::string saved = (dir.Path() / "blink.py").string();
    FakeScriptRunner runner = FetchAnswers({kFetchedBlink}, "\r\n0123\r\n");
    FakePrompter prompter;
    prompter.fileAnswers = {saved};

    DownloadPythonFiles(runner, prompter, {{"blink.py", "5"}, {"other.py", "300000"}});

    ASSERT_EQ(prompter.retryQuestions.size(), 2u);
    EXPECT_EQ(prompter.retryQuestions[0].text,
              "File download failed.  MD5 sum should have been 5d41402abc4b2a76b9719d911017c592, "
              "but came back as 0123.\r\nSelect Retry to attempt the file download again.");
    EXPECT_TRUE(DigestFile(saved).has_value());
    // The second file was still fetched (its reply did not parse), with room
    // for its Base64 text, a third larger than the file.
    EXPECT_NE(runner.Ran()[1].GetCommand().find("other.py"), std::string::npos);
    EXPECT_GE(runner.Ran()[1].GetExtra(), 410000);
}

TEST(PythonFiles, CancelledSaveSkipsToTheNextFile) {
    TempDir dir;
    const std::string saved = (dir.Path() / "second.py").string();
    FakeScriptRunner runner =
        FetchAnswers({kFetchedBlink, kFetchedBlink}, "5d41402abc4b2a76b9719d911017c592");
    FakePrompter prompter;
    prompter.fileAnswers = {"", saved};

    DownloadPythonFiles(runner, prompter, {{"blink.py", "5"}, {"second.py", "5"}});

    EXPECT_TRUE(prompter.retryQuestions.empty());
    EXPECT_EQ(prompter.fileFilters.size(), 2u);
    EXPECT_EQ(DigestFile(saved), "5d41402abc4b2a76b9719d911017c592");
}

TEST(PythonFiles, UploadDigestIsTakenAgainForEveryAttempt) {
    TempDir dir;
    const std::string path = (dir.Path() / "fix.py").string();
    std::ofstream(path) << "broken";
    struct FixingUploads : UploadRunner {
        std::string path;
        int count = 0;
        UploadOutcome Upload(const std::string&, UploadTarget target) override {
            EXPECT_EQ(target, UploadTarget::PythonProgram);
            if (++count == 1)
                std::ofstream(path) << "fixed";
            return UploadOutcome::Sent;
        }
    } uploader;
    uploader.path = path;
    // The user fixes the file during the first attempt; the gateway answers
    // with the digest of the fixed file, which only a digest taken again matches.
    std::string digestOfFixed;
    {
        TempDir other;
        const std::string fixed = (other.Path() / "f").string();
        std::ofstream(fixed) << "fixed";
        digestOfFixed = *DigestFile(fixed);
    }
    FakeScriptRunner runner([&](CommandJob& job) {
        Answer(job, job.GetCommand().starts_with("at&usbinterface=41") ? digestOfFixed : "");
    });
    FakePrompter prompter;
    prompter.retryAnswers = {true};

    const PythonUploadResult result = UploadPythonProgram(runner, uploader, prompter, path);

    EXPECT_TRUE(result.verified);
    EXPECT_EQ(uploader.count, 2);
    EXPECT_EQ(prompter.retryQuestions.size(), 1u);
    const JobList& batch = runner.Ran();
    ASSERT_EQ(batch.size(), 3u);
    EXPECT_EQ(batch[0].GetCommand(), "at&usbinterface=41,\"/WEB/python/fix.py\"\r\n");
    EXPECT_EQ(batch[0].GetText(), "Verifying upload...");
    EXPECT_EQ(batch[0].GetTimeout(), 15000);
    EXPECT_EQ(batch[2].GetTimeout(), 30000);
}
