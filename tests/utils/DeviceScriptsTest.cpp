#include <gtest/gtest.h>

#include "model/ConfigModel.h"
#include "tests/model/FakeScriptRunner.h"
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
            job.SetResponse("ERROR");
            job.SetStatus(CommandJob::kFailed);
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

    const UnreadReplies unread = RestoreFactoryDefaults(runner, model);

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
    EXPECT_TRUE(unread.empty());
    EXPECT_EQ(Apn(), "factory");
    EXPECT_EQ(Firmware(), "1.1 & RD");
}

TEST_F(DeviceScriptsTest, FactoryResetWithAFailedSettingsQueryStillLoadsTheState) {
    FakeScriptRunner failedSettings(Gateway("", StateReply("1.1")));
    EXPECT_TRUE(RestoreFactoryDefaults(failedSettings, model).empty());
    EXPECT_EQ(Apn(), "mine") << "a failed query keeps the previous settings";
    EXPECT_EQ(Firmware(), "1.1");

    FakeScriptRunner brokenState(Gateway(SettingsReply("factory"), "<rci_reply><query_state>"));
    const UnreadReplies unread = RestoreFactoryDefaults(brokenState, model);
    EXPECT_EQ(Apn(), "factory");
    ASSERT_EQ(unread.size(), 1u);
    EXPECT_EQ(unread[0].document, "device state");
}

TEST_F(DeviceScriptsTest, RebootSendsOneCommandAndReadsNothingAgain) {
    FakeScriptRunner runner(Gateway(SettingsReply("other"), StateReply("9.9")));

    RebootDevice(runner);

    EXPECT_EQ(Specs(runner.Ran()),
              (std::vector<JobSpec>{{"at+CFUN=1\r\n", "Rebooting device....", 10000}}));
    EXPECT_EQ(Apn(), "mine");
    EXPECT_EQ(Firmware(), "1.0");
}

TEST_F(DeviceScriptsTest, RestoreSendsTheTextRebootsAndReloadsTheSettings) {
    // The gateway's answer to the configuration itself does not matter.
    FakeScriptRunner runner([gateway = Gateway(SettingsReply("restored"), "")](CommandJob& job) {
        gateway(job);
        if (job.GetCommand().starts_with("<rci_request"))
            job.SetStatus(CommandJob::kFailed);
    });
    const std::string request = "<rci_request version='1.1'><set_setting/></rci_request>";

    EXPECT_TRUE(RestoreConfiguration(runner, model, request).empty());

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
