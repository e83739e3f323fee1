#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "model/ConfigApply.h"
#include "tests/link/TempDir.h"
#include "tests/support/WorkerUploadRunner.h"
#include "tests/ui/FakePrompter.h"
#include "tests/utils/LinkedGateway.h"
#include "tests/utils/ScriptTestSupport.h"
#include "transfer/FirmwarePage.h"
#include "transfer/UtilsPage.h"

namespace {

constexpr char kApn[] = "mobile_simple/apn";
constexpr char kPassword[] = "mobile_simple/password";

struct UtilsEndToEndTest : testing::Test {
    void SetUp() override { ASSERT_TRUE(gateway.ready); }

    void Press(const char* button) { page.findChild<QPushButton*>(button)->click(); }
    std::string Setting(const char* path) const {
        return ValueAt(gateway.model.SettingsGroups(), path);
    }
    // Edits two settings and applies them, as the mobile page would.
    void Apply(const std::string& apn, const std::string& password) {
        ChangeValue(gateway.model.SettingsGroups(), kApn, apn);
        ChangeValue(gateway.model.SettingsGroups(), kPassword, password);
        ASSERT_TRUE(ApplyConfiguration(gateway.runner, gateway.model).sent);
        ASSERT_EQ(Setting(kApn), apn);
    }

    LinkedGateway gateway;
    FakePrompter prompter;
    UtilsPage page{gateway.model, gateway.runner, prompter};
};

}  // namespace

TEST_F(UtilsEndToEndTest, BackupThenRestoreBringsTheBackedUpValuesBack) {
    TempDir dir;
    const std::string backup = (dir.Path() / "backup.cfg").string();
    Apply("kept.example", "pa\"ss");
    prompter.fileAnswers = {backup};
    Press("backup");
    Apply("changed.example", "other");
    const std::size_t before = gateway.sim.ReceivedCommands().size();

    page.findChild<QLineEdit*>("restorePath")->setText(QString::fromStdString(backup));
    prompter.confirmAnswers = {true};
    Press("fileRestore");

    EXPECT_TRUE(prompter.warnings.empty());
    EXPECT_TRUE(page.StatusText().startsWith(
        QString::fromStdString("Settings restored from " + backup + "; the R7 restarted in ")));
    const std::vector<std::string> sent = gateway.CommandsFrom(before);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0], "at&usbinterface=22\r\n");
    const std::string& request = sent[1];
    EXPECT_TRUE(request.starts_with("<rci_request version='1.1'>")) << request;
    EXPECT_TRUE(request.ends_with("</rci_request>")) << "no final line feed";
    EXPECT_EQ(request.find('"'), std::string::npos) << "single quotes only: " << request;
    EXPECT_NE(request.find("<password>pa&quot;ss</password>"), std::string::npos);
    EXPECT_EQ(sent[2], "at+CFUN=1\r\n");
    EXPECT_EQ(sent[3], kSettingsQueryCommand);
    EXPECT_EQ(gateway.Events(), (std::vector<std::string>{"down reboot", "up"}));
    // What the restarted gateway reports, not what was sent.
    EXPECT_EQ(Setting(kApn), "kept.example");
    EXPECT_EQ(Setting(kPassword), "pa\"ss");
}

TEST_F(UtilsEndToEndTest, FactoryResetAsksFirstThenRestartsTheGatewayAndReadsItsDefaults) {
    const std::string factoryApn = Setting(kApn);
    Apply("changed.example", "secret");
    const std::size_t before = gateway.sim.ReceivedCommands().size();

    Press("factoryRestore");  // answered with Cancel
    ASSERT_EQ(prompter.confirmations.size(), 1u);
    EXPECT_EQ(prompter.confirmations[0].text,
              "Restore the factory default settings? All current settings will be erased and the "
              "R7 will reboot.");
    EXPECT_EQ(prompter.confirmations[0].details, "Restore");
    EXPECT_TRUE(gateway.CommandsFrom(before).empty());
    EXPECT_EQ(Setting(kApn), "changed.example");

    prompter.confirmAnswers = {true};
    Press("factoryRestore");

    const std::vector<std::string> sent = gateway.CommandsFrom(before);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[1], "at+CFUN=1\r\n");
    EXPECT_EQ(gateway.Events(), (std::vector<std::string>{"down reboot", "up"}));
    EXPECT_EQ(Setting(kApn), factoryApn);
    EXPECT_EQ(Setting(kPassword), "");
    EXPECT_NE(gateway.model.StateDocument(), nullptr);
    EXPECT_TRUE(
        page.StatusText().startsWith("Factory default settings restored; the R7 restarted in "));
}

// A file chosen with Browse and removed before the button is pressed: the page
// says so, and nothing more reaches the gateway.
TEST_F(UtilsEndToEndTest, FilesRemovedAfterBrowseAreRefusedAndNothingIsSent) {
    WorkerUploadRunner uploader(gateway.port, gateway.clock);
    FirmwarePage firmware(gateway.model, gateway.runner, uploader, prompter);
    TempDir dir;
    const struct {
        PropertyPage* page;
        const char* file;
        const char* button;
        const char* text;
    } kCases[] = {
        {&firmware, "image.bin", "update", "Unable to open the firmware file to update."},
        {&page, "backup.cfg", "fileRestore", "The configuration file to restore does not exist."},
    };
    const std::size_t before = gateway.sim.ReceivedCommands().size();
    for (const auto& [shown, file, button, text] : kCases) {
        const std::string path = (dir.Path() / file).string();
        std::ofstream(path) << "<rci_request/>";
        prompter.fileAnswers = {path};
        shown->findChild<QPushButton*>("browse")->click();
        std::filesystem::remove(path);
        shown->findChild<QPushButton*>(button)->click();
        ASSERT_FALSE(prompter.warnings.empty());
        EXPECT_EQ(prompter.warnings.back().title, "Please enter a correct Filename");
        EXPECT_EQ(prompter.warnings.back().text, text);
    }
    EXPECT_EQ(prompter.warnings.size(), 2u);
    EXPECT_TRUE(gateway.CommandsFrom(before).empty());
}

// A step the gateway answers with ERROR: the page says what was refused and
// what that means for the settings; the script runs on as it always does (a
// refused configuration is still followed by the restart).
TEST(UtilsRefusals, EachRefusedStepIsNamedInAWarning) {
    TempDir dir;
    const std::string file = (dir.Path() / "backup.cfg").string();
    std::ofstream(file) << "<rci_request version=\"1.1\"><set_setting><mobile_simple><apn>x</apn>"
                           "</mobile_simple></set_setting></rci_request>";
    const struct {
        const char* refused;
        const char* button;
        std::vector<std::string> events;
        const char* text;
    } kCases[] = {
        {"set_factory_default",
         "factoryRestore",
         {"down reboot", "up"},
         "The device refused to restore its factory default settings, so it keeps its previous "
         "settings."},
        {"set_setting",
         "fileRestore",
         {"down reboot", "up"},
         "The device refused the configuration from the file: the settings were not restored, "
         "and the device keeps its previous settings."},
        {"at+CFUN",
         "reboot",
         {},
         "The device refused to reboot, so it has not restarted: settings that take effect at a "
         "restart are not in use yet."},
    };
    for (const auto& [refused, button, events, text] : kCases) {
        SCOPED_TRACE(refused);
        LinkedGateway gateway({"--error-on", refused});
        ASSERT_TRUE(gateway.ready);
        FakePrompter prompter;
        prompter.confirmAnswers = {true};
        UtilsPage page(gateway.model, gateway.runner, prompter);
        page.findChild<QLineEdit*>("restorePath")->setText(QString::fromStdString(file));

        page.findChild<QPushButton*>(button)->click();

        EXPECT_EQ(gateway.Events(), events);
        ASSERT_EQ(prompter.warnings.size(), 1u);
        EXPECT_EQ(prompter.warnings[0].title, "Refused by the device");
        EXPECT_EQ(prompter.warnings[0].text, text);
    }
}
