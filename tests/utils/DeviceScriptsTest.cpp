#include <gtest/gtest.h>

#include <functional>

#include "model/ConfigModel.h"
#include "tests/model/FakeScriptRunner.h"
#include "tests/ui/FakePrompter.h"
#include "tests/utils/ScriptTestSupport.h"
#include "transfer/DeviceScripts.h"

namespace {

// A gateway that answers the two queries with the given replies (an empty
// reply: the query ends in ERROR) and everything else with OK.
FakeScriptRunner::Answer Gateway(std::string settings, std::string state) {
    return [settings, state](CommandJob& job) {
        const std::string& reply = job.GetCommand() == kSettingsQueryCommand ? settings
                                   : job.GetCommand() == kStateQueryCommand  ? state
                                                                             : std::string("OK");
        if (reply.empty()) {
            Refuse(job);
        } else {
            Answer(job, reply);
        }
    };
}

// The trees as start-up left them.
struct DeviceScriptsTest : testing::Test {
    DeviceScriptsTest() {
        model.LoadSettingsReply(SettingsReply("mine"));
        model.LoadStateReply(StateReply("1.0"));
    }
    std::string Apn() const { return ValueAt(model.SettingsGroups(), "mobile_simple/apn"); }
    std::string Firmware() const {
        return ValueAt(model.StateGroups(), "device_info/firmwaresoftrevstr");
    }

    ConfigModel model;
};

}  // namespace

TEST_F(DeviceScriptsTest, FactoryResetRunsFourJobsAndReloadsBothDocuments) {
    // The state's free text is not escaped: a bare "&" goes, a reference stays.
    FakeScriptRunner runner(Gateway(SettingsReply("factory"), StateReply("1.1 &amp; R&D")));

    const DeviceScriptResult result = RestoreFactoryDefaults(runner, model);

    const std::string collecting = "Collecting device information after factory reset...";
    EXPECT_EQ(Specs(runner.Ran()),
              (std::vector<JobSpec>{
                  {"at&usbinterface=20,\"<rci_request version='1.1'><set_factory_default/>"
                   "</rci_request>\"\r\n",
                   "Restoring factory defaults...", 10000},
                  {"at+CFUN=1\r\n", "Rebooting device...", 10000},
                  {kSettingsQueryCommand, collecting, 20000},
                  {kStateQueryCommand, collecting, 20000},
              }));
    EXPECT_TRUE(result.unread.empty());
    EXPECT_TRUE(result.refused.empty());
    EXPECT_EQ(Apn(), "factory");
    EXPECT_EQ(Firmware(), "1.1 & RD");
}

TEST_F(DeviceScriptsTest, FactoryResetWithAFailedSettingsQueryStillLoadsTheState) {
    FakeScriptRunner failedSettings(Gateway("", StateReply("1.1")));
    EXPECT_TRUE(RestoreFactoryDefaults(failedSettings, model).unread.empty());
    EXPECT_EQ(Apn(), "mine") << "a failed query keeps the previous settings";
    EXPECT_EQ(Firmware(), "1.1");

    FakeScriptRunner brokenState(Gateway(SettingsReply("factory"), "<rci_reply><query_state>"));
    const UnreadReplies unread = RestoreFactoryDefaults(brokenState, model).unread;
    EXPECT_EQ(Apn(), "factory");
    ASSERT_EQ(unread.size(), 1u);
    EXPECT_EQ(unread[0].document, "device state");
}

TEST_F(DeviceScriptsTest, RebootSendsOneCommandAndReadsNothingAgain) {
    FakeScriptRunner runner(Gateway(SettingsReply("other"), StateReply("9.9")));

    EXPECT_TRUE(RebootDevice(runner).refused.empty());

    EXPECT_EQ(Specs(runner.Ran()),
              (std::vector<JobSpec>{{"at+CFUN=1\r\n", "Rebooting device....", 10000}}));
    EXPECT_EQ(Apn(), "mine");
    EXPECT_EQ(Firmware(), "1.0");
}

TEST_F(DeviceScriptsTest, RestoreSendsTheTextRebootsAndReloadsTheSettings) {
    // A refused configuration is reported, but the gateway is rebooted and
    // read again all the same.
    FakeScriptRunner runner([gateway = Gateway(SettingsReply("restored"), "")](CommandJob& job) {
        gateway(job);
        if (job.GetCommand().starts_with("<rci_request"))
            Refuse(job);
    });
    const std::string request = "<rci_request version='1.1'><set_setting/></rci_request>";

    const DeviceScriptResult result = RestoreConfiguration(runner, model, request);
    EXPECT_TRUE(result.unread.empty());
    EXPECT_EQ(result.refused, RefusedSteps{RefusedStep::Configuration});

    const std::string sending = "Sending new configuration to the Device...";
    EXPECT_EQ(Specs(runner.Ran()),
              (std::vector<JobSpec>{
                  {"at&usbinterface=22\r\n", sending, 100},
                  {request, sending, 30000},
                  {"at+CFUN=1\r\n", "Rebooting device...", 10000},
                  {kSettingsQueryCommand, "Retrieving configuration from the Device...", 8000},
              }));
    EXPECT_EQ(Apn(), "restored");
}

// Each step the gateway answered with ERROR is named once, in script order; a
// step that never got through (the port lost) was not refused.
TEST_F(DeviceScriptsTest, RefusedStepsAreNamedWithWhatTheyMeanForTheSettings) {
    using enum RefusedStep;
    const std::string request = "<rci_request version='1.1'><set_setting/></rci_request>";
    const struct {
        const char* refused;  // commands containing it are answered ERROR
        bool lost;            // ... or are not answered at all
        std::function<DeviceScriptResult(ScriptRunner&)> run;
        RefusedSteps expected;
    } kCases[] = {
        {"set_factory_default",
         false,
         [&](ScriptRunner& r) { return RestoreFactoryDefaults(r, model); },
         {FactoryDefaults}},
        {"at+CFUN",
         false,
         [&](ScriptRunner& r) { return RestoreFactoryDefaults(r, model); },
         {Reboot}},
        {"at&usbinterface=",
         false,
         [&](ScriptRunner& r) { return RestoreFactoryDefaults(r, model); },
         {FactoryDefaults}},
        {"",
         false,
         [&](ScriptRunner& r) { return RestoreConfiguration(r, model, request); },
         {Configuration, Reboot}},
        {"at+CFUN", false, [](ScriptRunner& r) { return RebootDevice(r); }, {Reboot}},
        {"at+CFUN", true, [](ScriptRunner& r) { return RebootDevice(r); }, {}},
    };
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.refused);
        FakeScriptRunner runner(
            [&row, gateway = Gateway(SettingsReply("x"), StateReply("1"))](CommandJob& job) {
                gateway(job);
                if (job.GetCommand().find(row.refused) == std::string::npos)
                    return;
                Refuse(job);
                job.SetAnswered(!row.lost);
            });
        EXPECT_EQ(row.run(runner).refused, row.expected);
    }

    FakePrompter prompter;
    ReportDeviceScript(prompter, {{FactoryDefaults, Reboot}, {}});
    ReportDeviceScript(prompter, {{Configuration}, {}});
    ReportDeviceScript(prompter, {});
    ASSERT_EQ(prompter.warnings.size(), 2u);
    EXPECT_EQ(prompter.warnings[0].title, "Refused by the device");
    EXPECT_EQ(prompter.warnings[0].text,
              "The device refused to restore its factory default settings, so it keeps its "
              "previous settings. The device refused to reboot, so it has not restarted: "
              "settings that take effect at a restart are not in use yet.");
    EXPECT_EQ(prompter.warnings[0].details,
              "set_factory_default was answered with ERROR.\nat+CFUN=1 was answered with ERROR.");
    EXPECT_EQ(prompter.warnings[1].text,
              "The device refused the configuration from the file: the settings were not "
              "restored, and the device keeps its previous settings.");
}
