#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "link/ModemPort.h"
#include "model/FileDigest.h"
#include "tests/link/TempDir.h"
#include "tests/model/FakeScriptRunner.h"
#include "tests/support/TestClocks.h"
#include "tests/ui/FakePrompter.h"
#include "transfer/FileNames.h"
#include "transfer/UploadWorker.h"
#include "transfer/VerifiedUpload.h"

namespace {

struct CountingObserver : UploadObserver {
    void SetProgressRange(int maximum) override { range = maximum; }
    void StepProgress() override { ++steps; }
    void BytesSent(std::uint64_t count, std::uint64_t total) override {
        sent.push_back(count);
        length = total;
    }
    int range = -1;
    int steps = 0;
    std::vector<std::uint64_t> sent;
    std::uint64_t length = 0;
};

// A port that takes what `take` allows of each write and remembers every call.
struct FakeWrites {
    std::vector<std::size_t> asked;
    std::string taken;
    std::function<long(std::size_t call, std::size_t size)> take =
        [](std::size_t, std::size_t size) { return static_cast<long>(size); };

    RawWrite Writer() {
        return [this](const char* data, std::size_t size) {
            const long count = take(asked.size(), size);
            asked.push_back(size);
            if (count > 0)
                taken.append(data, static_cast<std::size_t>(count));
            return count;
        };
    }
};

std::string Bytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

}  // namespace

TEST(UploadWorker, RemotePathFollowsTheTargetAndTheNameAfterTheLastSlash) {
    EXPECT_EQ(RemotePath("/home/user/blink.py", UploadTarget::PythonProgram),
              "/WEB/python/blink.py");
    EXPECT_EQ(RemotePath("blink.py", UploadTarget::PythonProgram), "/WEB/python/blink.py");
    EXPECT_EQ(RemotePath("/tmp/a\\b.py", UploadTarget::PythonProgram), "/WEB/python/a\\b.py");
    EXPECT_EQ(RemotePath("/opt/mesh/xbee.ebl", UploadTarget::RadioFile), "/WEB/mesh/xbee.ebl");
    EXPECT_EQ(RemotePath("/any/name.bin", UploadTarget::FirmwareImage), "/fw/updatefw.dwl");
    EXPECT_EQ(UploadTargetFor(true, true), UploadTarget::FirmwareImage);
    EXPECT_EQ(UploadTargetFor(false, true), UploadTarget::RadioFile);
    EXPECT_EQ(UploadTargetFor(false, false), UploadTarget::PythonProgram);
}

TEST(UploadWorker, ClosingTimeoutAndProgressRangeGrowWithTheLength) {
    EXPECT_EQ(ClosingTimeoutMs(0), 1000);
    EXPECT_EQ(ClosingTimeoutMs(3000), 1000);
    EXPECT_EQ(ClosingTimeoutMs(19999), 1000);
    EXPECT_EQ(ClosingTimeoutMs(20000), 2000);
    EXPECT_EQ(ClosingTimeoutMs(45000), 3000);
    EXPECT_EQ(UploadProgressRange(3000), 7);
    EXPECT_EQ(UploadProgressRange(kMaxUploadBytes), 65541);  // no 16-bit wrap
}

TEST(UploadWorker, DataGoesInPacedBlocksOfAtMost1024Bytes) {
    ManualClock clock;
    for (const auto& [size, blocks] : std::vector<std::pair<std::size_t, std::vector<std::size_t>>>{
             {3000, {1024, 1024, 952}}, {1024, {1024}}, {1025, {1024, 1}}, {0, {0}}}) {
        FakeWrites port;
        CountingObserver observer;
        const int sleepsBefore = clock.Sleeps();
        const std::string data = Bytes(size);
        EXPECT_TRUE(SendFileData(data, port.Writer(), clock, observer));
        EXPECT_EQ(port.asked, blocks) << size;
        EXPECT_EQ(port.taken, data);
        EXPECT_EQ(observer.steps, static_cast<int>(blocks.size()));
        EXPECT_EQ(clock.Sleeps() - sleepsBefore, static_cast<int>(blocks.size()));
    }
}

TEST(UploadWorker, ShortWriteContinuesWithTheRestOfTheBlock) {
    ManualClock clock;
    FakeWrites port;
    port.take = [](std::size_t call, std::size_t size) {
        return static_cast<long>(call == 1 ? 300 : size);
    };
    CountingObserver observer;
    const std::string data = Bytes(3000);
    EXPECT_TRUE(SendFileData(data, port.Writer(), clock, observer));
    EXPECT_EQ(port.asked, (std::vector<std::size_t>{1024, 1024, 724, 952}));
    EXPECT_EQ(port.taken, data);
    EXPECT_EQ(observer.steps, 4);
    // What the port took, not what was asked of it.
    EXPECT_EQ(observer.sent, (std::vector<std::uint64_t>{0, 1024, 1324, 2048, 3000}));
    EXPECT_EQ(observer.length, 3000u);
}

TEST(UploadWorker, DataPhaseEndsOnAFailedWriteOrSixWritesThatTakeNothing) {
    ManualClock clock;
    const std::string data = Bytes(5000);
    {
        FakeWrites port;
        // Five idle writes between progress do not end it; six in a row do.
        port.take = [](std::size_t call, std::size_t size) {
            if (call >= 1 && call <= 5)
                return 0L;
            return call >= 7 ? 0L : static_cast<long>(size);
        };
        CountingObserver observer;
        EXPECT_FALSE(SendFileData(data, port.Writer(), clock, observer));
        EXPECT_EQ(port.asked.size(), 13u);
        EXPECT_EQ(port.taken, data.substr(0, 2048));
        EXPECT_EQ(observer.steps, 13);
    }
    {
        FakeWrites port;
        port.take = [](std::size_t call, std::size_t size) {
            return call == 2 ? -1L : static_cast<long>(size);
        };
        CountingObserver observer;
        EXPECT_FALSE(SendFileData(data, port.Writer(), clock, observer));
        EXPECT_EQ(port.asked.size(), 3u);
        EXPECT_EQ(observer.steps, 2);
    }
}

TEST(UploadWorker, NamesThatCannotTravelInACommandAreRefused) {
    EXPECT_FALSE(FileNameProblem("tank_level_logger.py"));
    EXPECT_FALSE(FileNameProblem("my program.py"));
    for (const std::string name : {"", "a\"b.py", "a\rb.py", "a\nb.py", "a\tb", "../x", "a/b"})
        EXPECT_TRUE(FileNameProblem(name)) << name;

    TempDir dir;
    const std::string quoted = (dir.Path() / "say\"hi\".py").string();
    std::ofstream(quoted) << "print(1)\n";
    EXPECT_EQ(CheckUploadFile(quoted, UploadTarget::PythonProgram), UploadFileCheck::UnsafeName);
    EXPECT_EQ(CheckUploadFile(quoted, UploadTarget::FirmwareImage), UploadFileCheck::Ok);
    EXPECT_EQ(CheckUploadFile(dir.Path().string(), UploadTarget::FirmwareImage),
              UploadFileCheck::NotRegular);
    // Refused at once: a blocking open would wait for a writer for ever.
    const std::string pipe = (dir.Path() / "pipe.py").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(CheckUploadFile(pipe, UploadTarget::PythonProgram), UploadFileCheck::NotRegular);
    EXPECT_EQ(CheckUploadFile((dir.Path() / "none.py").string(), UploadTarget::PythonProgram),
              UploadFileCheck::CannotOpen);
    const std::string huge = (dir.Path() / "huge.bin").string();
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, kMaxUploadBytes + 1);  // sparse: takes no disk
    EXPECT_EQ(CheckUploadFile(huge, UploadTarget::RadioFile), UploadFileCheck::TooLarge);

    FakePrompter prompter;
    FakeScriptRunner runner([](CommandJob&) {});
    struct NoUploads : UploadRunner {
        UploadOutcome Upload(const std::string&, UploadTarget) override {
            ADD_FAILURE() << "uploaded";
            return UploadOutcome::NotSent;
        }
    } uploader;
    EXPECT_EQ(RunVerifiedUpload(runner, uploader, prompter, huge, UploadTarget::RadioFile, "x"),
              UploadVerdict::NotSent);
    EXPECT_EQ(RunVerifiedUpload(runner, uploader, prompter, quoted, UploadTarget::RadioFile, "x"),
              UploadVerdict::NotSent);
    EXPECT_EQ(RunVerifiedUpload(runner, uploader, prompter, "/no/such", UploadTarget::RadioFile,
                                "Cannot open it."),
              UploadVerdict::NotSent);
    ASSERT_EQ(prompter.warnings.size(), 3u);
    EXPECT_EQ(prompter.warnings[0].title, kIncorrectFileCaption);
    EXPECT_NE(prompter.warnings[0].text.find("67108864"), std::string::npos);
    EXPECT_NE(prompter.warnings[1].text.find("double quote"), std::string::npos);
    EXPECT_EQ(prompter.warnings[2].text, "Cannot open it.");
    EXPECT_TRUE(runner.Ran().empty());
}

TEST(VerifiedUpload, MismatchRetriesWithRemovalAndKeepsTheFirstDigest) {
    TempDir dir;
    const std::string path = (dir.Path() / "xbee.ebl").string();
    std::ofstream(path) << "first";
    const std::string firstDigest = *DigestFile(path);

    struct ChangingUploads : UploadRunner {
        std::string path;
        int count = 0;
        UploadOutcome Upload(const std::string& localPath, UploadTarget target) override {
            EXPECT_EQ(localPath, path);
            EXPECT_EQ(target, UploadTarget::RadioFile);
            // The file changes after the first upload; the check keeps the digest it took.
            if (++count == 1)
                std::ofstream(path) << "second";
            return UploadOutcome::Sent;
        }
    } uploader;
    uploader.path = path;
    std::vector<std::string> sent;
    FakeScriptRunner runner([&](CommandJob& job) {
        sent.push_back(job.GetCommand());
        const bool digestQuery = job.GetCommand().starts_with("at&usbinterface=41");
        Answer(job, digestQuery && uploader.count == 2 ? "\r\n" + firstDigest + "\r\n" : "bad");
    });
    FakePrompter prompter;
    prompter.retryAnswers = {true};

    EXPECT_EQ(RunVerifiedUpload(runner, uploader, prompter, path, UploadTarget::RadioFile, "x"),
              UploadVerdict::Verified);
    EXPECT_EQ(uploader.count, 2);
    EXPECT_EQ(sent, (std::vector<std::string>{
                        "at&usbinterface=41,\"/WEB/mesh/xbee.ebl\"\r\n",
                        "at&usbinterface=20,\"<rci_request version='1.1'><do_command "
                        "target='file_system'><rm name='/WEB/mesh/xbee.ebl'/></do_command>"
                        "</rci_request>\"\r\n",
                        "at&usbinterface=41,\"/WEB/mesh/xbee.ebl\"\r\n"}));
    ASSERT_EQ(prompter.retryQuestions.size(), 1u);
    EXPECT_EQ(prompter.retryQuestions[0].title, "Error");
    EXPECT_EQ(prompter.retryQuestions[0].kind, MessageKind::Error);
    EXPECT_EQ(prompter.retryQuestions[0].text,
              "File upload failed.  MD5 sum should have been " + firstDigest +
                  ", but came back as bad.\r\nSelect Retry to attempt the file upload again.");
}

TEST(VerifiedUpload, CancelEndsWithTheFileLeftOnTheGateway) {
    TempDir dir;
    const std::string path = (dir.Path() / "image.dwl").string();
    std::ofstream(path) << "image";
    struct Uploads : UploadRunner {
        int count = 0;
        UploadOutcome Upload(const std::string&, UploadTarget) override {
            ++count;
            return UploadOutcome::Sent;
        }
    } uploader;
    FakeScriptRunner runner([](CommandJob& job) { Answer(job, "0123"); });
    FakePrompter prompter;
    EXPECT_EQ(RunVerifiedUpload(runner, uploader, prompter, path, UploadTarget::FirmwareImage, "x"),
              UploadVerdict::Cancelled);
    EXPECT_EQ(uploader.count, 1);
    ASSERT_EQ(runner.Ran().size(), 1u);
    EXPECT_EQ(runner.Ran()[0].GetCommand(), "at&usbinterface=41,\"/fw/updatefw.dwl\"\r\n");
    EXPECT_EQ(runner.Ran()[0].GetText(), "Verifying firmware image on the Device...");
    EXPECT_EQ(runner.Ran()[0].GetTimeout(), 20000);
    EXPECT_EQ(RemovalCommand(path, UploadTarget::FirmwareImage),
              "at&usbinterface=20,\"<rci_request version='1.1'><do_command target='file_system'>"
              "<rm name='/fw/updatefw.dwl'/></do_command></rci_request>\"\r\n");
}

// Only an OK answer of exactly 32 hexadecimal digits equal to a computed local
// digest verifies a file; every other answer is a mismatch.
TEST(VerifiedUpload, OnlyAnOkAnswerOfThirtyTwoMatchingHexDigitsVerifies) {
    const std::string local = "0123456789abcdef0123456789abcdef";
    struct Row {
        std::optional<std::string> local;
        std::string response;
        bool ok;
        bool verified;
    };
    const Row rows[] = {
        {local, local, true, true},
        {local, "\r\n0123456789ABCDEF0123456789abcdef\r\n", true, true},
        {local, local, false, false},           // ERROR status
        {std::nullopt, "", true, false},        // no local digest, empty answer
        {std::nullopt, "", false, false},       // ... and an ERROR answer
        {"", "", true, false},                  // an empty local digest is none
        {local, "", true, false},               // no answer
        {local, local + "0", true, false},      // 33 digits
        {local, local.substr(1), true, false},  // 31 digits
        {local, "0123456789abcdef0123456789abcdeg", true, false},
        {local, local.substr(0, 16) + " " + local.substr(16), true, false},
    };
    for (const Row& row : rows) {
        CommandJob query("at&usbinterface=41,\"/x\"\r\n", "", 1);
        query.SetResponse(row.response);
        query.SetStatus(row.ok ? CommandJob::kSucceeded : CommandJob::kFailed);
        EXPECT_EQ(DigestVerified(row.local, query), row.verified)
            << row.local.value_or("(none)") << " / " << row.response << " / " << row.ok;
    }
}

// A gateway gone for good: the upload waits for it once, then ends at once
// instead of waiting again at every remaining step.
TEST(UploadWorker, APortGivenUpEndsTheUploadAfterOneWait) {
    TempDir dir;
    const std::string path = (dir.Path() / "gone.py").string();
    std::ofstream(path) << "print(1)\n";
    ManualClock clock;
    ModemPort port(clock);
    port.SetPortName((dir.Path() / "no-such-tty").string());
    CountingObserver observer;

    const std::uint64_t start = clock.NowMs();
    EXPECT_EQ(RunUpload(port, clock, path, UploadTarget::PythonProgram, observer),
              UploadOutcome::Lost);
    EXPECT_LT(clock.NowMs() - start, 2 * ModemPort::kReopenLimitMs);
    EXPECT_EQ(observer.range, -1);
    EXPECT_FALSE(port.GaveUp()) << "the next script tries the port again";
}
