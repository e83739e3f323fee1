#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <fstream>

#include "model/FileDigest.h"
#include "tests/link/TempDir.h"
#include "tests/model/FakeScriptRunner.h"
#include "tests/support/WorkerUploadRunner.h"
#include "tests/ui/FakePrompter.h"
#include "tests/utils/LinkedGateway.h"
#include "tests/utils/ScriptTestSupport.h"
#include "transfer/FirmwarePage.h"
#include "transfer/VerifiedUpload.h"

namespace {

constexpr char kInstall[] = "at&usbinterface=110\r\n";
constexpr char kDigestQuery[] = "at&usbinterface=41,\"/fw/updatefw.dwl\"\r\n";

std::string WriteImage(const std::string& path) {
    std::ofstream(path, std::ios::binary) << std::string(3000, '\xa5');
    return path;
}

QString Box(const PropertyPage& page, const char* name) {
    return page.findChild<QLineEdit*>(name)->text();
}

void Update(FirmwarePage& page, const std::string& typedPath) {
    page.findChild<QLineEdit*>("firmwareFile")->setText(QString::fromStdString(typedPath));
    page.findChild<QPushButton*>("update")->click();
}

double SecondsOf(const std::vector<SimRecord>& records, const std::string& bytes) {
    const auto found = std::find_if(records.begin(), records.end(),
                                    [&](const SimRecord& record) { return record.bytes == bytes; });
    return found == records.end() ? -1 : found->seconds;
}

// The firmware page against the simulated gateway, uploads paced in real time.
struct FirmwareEndToEndTest : testing::Test {
    explicit FirmwareEndToEndTest(std::vector<std::string> simArgs = {})
        : gateway(std::move(simArgs)) {}
    void SetUp() override {
        ASSERT_TRUE(gateway.ready);
        page.Activate();
    }

    LinkedGateway gateway;
    WorkerUploadRunner uploader{gateway.port, Clock::System()};
    FakePrompter prompter;
    FirmwarePage page{gateway.model, gateway.runner, uploader, prompter};
};

struct CorruptedUploadTest : FirmwareEndToEndTest {
    CorruptedUploadTest() : FirmwareEndToEndTest({"--wrong-digest", "1"}) {}
};

}  // namespace

TEST_F(CorruptedUploadTest, RetryUploadsAgainThenTheRestartedGatewayShowsItsNewVersion) {
    EXPECT_EQ(Box(page, "model"), "Linkhold R7 Cellular Gateway");
    EXPECT_EQ(Box(page, "firmware"), "2.11.4.7");
    const std::string image = WriteImage(gateway.sim.Directory() + "/r7-2.11.4.8.bin");
    const std::size_t before = gateway.sim.ReceivedCommands().size();
    prompter.retryAnswers = {true};
    prompter.confirmAnswers = {true};
    page.SetClock(gateway.clock);

    Update(page, image);
    ASSERT_EQ(prompter.confirmations.size(), 1u);
    EXPECT_EQ(prompter.confirmations[0].text,
              "Install " + image + " (2.93 KiB) in place of firmware 2.11.4.7? The R7 restarts.");

    ASSERT_EQ(prompter.retryQuestions.size(), 1u) << "the first digest is wrong";
    EXPECT_TRUE(prompter.warnings.empty());
    std::vector<std::string> sent = gateway.CommandsFrom(before);
    const auto isUploadStart = [](const std::string& command) {
        return command.starts_with("AT&USBINTERFACE=17,3000");
    };
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(), isUploadStart), 2);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), kDigestQuery), 2);
    EXPECT_EQ(
        std::count(sent.begin(), sent.end(), RemovalCommand(image, UploadTarget::FirmwareImage)),
        1);
    ASSERT_GE(sent.size(), 3u);
    sent.erase(sent.begin(), sent.end() - 3);
    EXPECT_EQ(sent, (std::vector<std::string>{kInstall, "at\r\n", kStateQueryCommand}));
    EXPECT_EQ(gateway.Events(), (std::vector<std::string>{"down install", "up"}));
    EXPECT_EQ(Box(page, "firmware"), "2.11.4.8");
    EXPECT_EQ(Box(page, "model"), "Linkhold R7 Cellular Gateway");
    EXPECT_TRUE(page.StatusText().startsWith("Firmware 2.11.4.8 installed; the R7 restarted in "))
        << page.StatusText().toStdString();
    // The install's raw read ends as soon as the restarted gateway is back,
    // not at its 300-second deadline (15 s here).
    const std::vector<SimRecord> records = gateway.sim.Records();
    EXPECT_LT(SecondsOf(records, "at\r\n") - SecondsOf(records, "up"), 2.0);
}

TEST(FirmwarePageTest, RefusedInstallIsReportedAfterTheStateWasReadAgain) {
    ConfigModel model;
    model.LoadStateReply(StateReply("1.0"));
    TempDir dir;
    const std::string image = WriteImage((dir.Path() / "image.bin").string());
    FakeScriptRunner runner([digest = *DigestFile(image)](CommandJob& job) {
        if (job.GetCommand() == kInstall) {
            job.SetResponse("ERROR");
            job.SetStatus(CommandJob::kFailed);
        } else {
            Answer(job, job.GetCommand() == kStateQueryCommand ? StateReply("1.0-rc") : digest);
        }
    });
    struct Uploads : UploadRunner {
        UploadOutcome Upload(const std::string&, UploadTarget) override {
            return UploadOutcome::Sent;
        }
    } uploader;
    // Notes what the page showed when the message came.
    struct ShownAtWarning : FakePrompter {
        const FirmwarePage* page = nullptr;
        QString shown;
        void Warn(const std::string& title, const std::string& text, const std::string& details,
                  MessageKind kind) override {
            shown = Box(*page, "firmware");
            FakePrompter::Warn(title, text, details, kind);
        }
    } prompter;
    prompter.agree = true;
    FirmwarePage page(model, runner, uploader, prompter);
    prompter.page = &page;
    page.Activate();

    Update(page, image);

    const std::string retrieving = "Retrieving new settings from the Device...";
    EXPECT_EQ(Specs(runner.Ran()),
              (std::vector<JobSpec>{
                  {kInstall, "The device is now upgrading to the new firmware....", 300000},
                  {"at\r\n", retrieving, 1000},
                  {kStateQueryCommand, retrieving, 40000},
              }));
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].title, "Error");
    EXPECT_EQ(prompter.warnings[0].text, "Firmware Upgrade failed.");
    EXPECT_EQ(prompter.warnings[0].kind, MessageKind::Error);
    EXPECT_EQ(prompter.shown, "1.0-rc");
}

TEST(FirmwarePageTest, FileProblemsAndCancelSendNothingFurther) {
    ConfigModel model;
    model.LoadStateReply(StateReply("1.0"));
    std::vector<std::string> sent;
    FakeScriptRunner runner([&](CommandJob& job) {
        sent.push_back(job.GetCommand());
        Answer(job, "ffff");
    });
    struct CountedUploads : UploadRunner {
        int count = 0;
        UploadOutcome Upload(const std::string&, UploadTarget) override {
            ++count;
            return UploadOutcome::Sent;
        }
    } uploader;
    FakePrompter prompter;
    FirmwarePage page(model, runner, uploader, prompter);
    page.Activate();
    EXPECT_EQ(Box(page, "firmware"), "1.0");

    Update(page, "");
    Update(page, "/no/such/image.bin");
    ASSERT_EQ(prompter.warnings.size(), 2u);
    EXPECT_EQ(prompter.warnings[0].title, "Please enter a Filename");
    EXPECT_EQ(prompter.warnings[0].text, "You must select the firmware file to update.");
    EXPECT_EQ(prompter.warnings[1].title, "Please enter a correct Filename");
    EXPECT_EQ(prompter.warnings[1].text, "Unable to open the firmware file to update.");
    EXPECT_EQ(uploader.count, 0);
    EXPECT_TRUE(sent.empty());

    // Cancel at the question uploads nothing; a mismatch answered with Cancel:
    // the image stays, nothing is installed.
    TempDir dir;
    prompter.fileAnswers = {WriteImage((dir.Path() / "image.bin").string())};
    page.findChild<QPushButton*>("browse")->click();
    EXPECT_EQ(prompter.fileFilters.back(), "*.bin (*)");
    page.Update();
    EXPECT_EQ(uploader.count, 0);
    EXPECT_EQ(prompter.confirmations.size(), 1u);
    prompter.agree = true;
    page.Update();
    EXPECT_EQ(uploader.count, 1);
    EXPECT_EQ(sent, std::vector<std::string>{kDigestQuery});
}
