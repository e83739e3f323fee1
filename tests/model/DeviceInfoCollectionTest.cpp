#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "FakeScriptRunner.h"
#include "model/DeviceInfoCollection.h"
#include "model/XmlString.h"

namespace {

const std::string kSettingsCommand =
    "at&usbinterface=20,\"<rci_request version='1.1'><query_setting></query_setting>"
    "</rci_request>\"\r\n";
const std::string kStateCommand =
    "at&usbinterface=20,\"<rci_request version='1.1'><query_state/></rci_request>\"\r\n";
const std::string kRadioCommand =
    "at&usbinterface=20,\"<rci_request version='1.1'><do_command target='zigbee'>"
    "<query_setting/></do_command></rci_request>\"\r\n";

// A gateway with a SIM, a radio and a working network; tests change single
// answers. A command in `refused` is answered with ERROR; one missing from
// both maps gets no answer (not sent, or silence).
class DeviceInfoCollectionTest : public testing::Test {
protected:
    bool Collect() {
        FakeScriptRunner runner([this](CommandJob& job) {
            sent.push_back(job.GetCommand());
            const auto reply = replies.find(job.GetCommand());
            if (refused.contains(job.GetCommand())) {
                Refuse(job);
            } else if (reply != replies.end()) {
                Answer(job, reply->second);
            }
        });
        result = CollectDeviceInfo(runner, model, info);
        return result.complete;
    }

    std::map<std::string, std::string> replies = {
        {"AT\r\n\r\n", ""},
        {"AT+CGMI\r\n", "Sierra"},
        {"AT+CGSN\r\n", "352"},
        {"AT+CGMR\r\n", "R7.2"},
        {"AT+CIMI\r\n", "\r\n234150000000001\r\n"},
        {"AT+CSQ\r\n", "+CSQ: 17,99"},
        {"AT+CNUM\r\n", "+CNUM: \"Line 1\",\"+447700900123\",145"},
        {"AT+CREG?\r\n", "+CREG: 0,1"},
        {kSettingsCommand,
         "<rci_reply><query_setting><mobile_simple/></query_setting></rci_reply>"},
        {kStateCommand,
         "<rci_reply><query_state><mobile_stats><operator>AT&T &amp; Co</operator></mobile_stats>"
         "</query_state></rci_reply>"},
        {kRadioCommand,
         "<rci_reply><do_command><query_setting><radio/></query_setting></do_command>"
         "</rci_reply>"},
    };
    std::set<std::string> refused;
    std::vector<std::string> sent;
    ConfigModel model;
    DeviceInfo info;
    CollectionResult result;
};

TEST_F(DeviceInfoCollectionTest, ScriptHasTheElevenQueries) {
    const JobList jobs = BuildDeviceInfoScript();
    const std::vector<std::string> commands = {
        "AT\r\n\r\n",  "AT+CGMI\r\n",  "AT+CGSN\r\n",    "AT+CGMR\r\n", "AT+CIMI\r\n", "AT+CSQ\r\n",
        "AT+CNUM\r\n", "AT+CREG?\r\n", kSettingsCommand, kStateCommand, kRadioCommand};
    ASSERT_EQ(jobs.size(), commands.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(jobs[i].GetCommand(), commands[i]);
        EXPECT_EQ(jobs[i].GetTimeout(), i < 8 ? 500 : 20000);
        EXPECT_EQ(jobs[i].GetText(), "Collecting Device information...");
        EXPECT_EQ(jobs[i].GetExtra(), 0);
    }
}

TEST_F(DeviceInfoCollectionTest, ReadsEveryAnswer) {
    ASSERT_TRUE(Collect());
    EXPECT_EQ(info.manufacturer, "Sierra");
    EXPECT_EQ(info.serialNumber, "352");
    EXPECT_EQ(info.revision, "R7.2");
    EXPECT_EQ(info.imsi, "234150000000001");
    EXPECT_EQ(info.phoneNumber, "+447700900123");
    EXPECT_EQ(info.signal, 17);
    EXPECT_EQ(info.registration, 1);
    EXPECT_NE(model.SettingsGroups(), nullptr);
    EXPECT_EQ(result.read.imsi, "234150000000001");
    EXPECT_EQ(result.read.signal, 17);
    // The bare '&' is dropped so the state still parses; a reference stays one.
    ASSERT_NE(model.StateGroups(), nullptr);
    EXPECT_EQ(NodeContent(model.StateGroups()), "ATT & Co");
    EXPECT_NE(model.RadioGroups(), nullptr);
    EXPECT_TRUE(model.RadioPresent());
}

TEST_F(DeviceInfoCollectionTest, ModemAnswerVariants) {
    refused = {"AT+CIMI\r\n", "AT+CNUM\r\n"};
    replies["AT+CSQ\r\n"] = "+CSQ: 99,99";
    replies["AT+CREG?\r\n"] = "+CREG: 5";
    ASSERT_TRUE(Collect());
    EXPECT_EQ(info.imsi, "No SIM Inserted");
    EXPECT_EQ(info.phoneNumber, "N/A");
    EXPECT_FALSE(result.read.imsi);  // a page text is no reading
    EXPECT_FALSE(result.read.phoneNumber);
    EXPECT_EQ(info.signal, 99);
    EXPECT_EQ(info.registration, 5);

    refused.clear();
    replies["AT+CNUM\r\n"] = "+CNUM: \"07700900123\"";
    ASSERT_TRUE(Collect());
    EXPECT_EQ(info.phoneNumber, " 07700900123");
}

// A refused IMSI is followed by one question to the SIM, whose answer is
// shown in its place; a SIM whose IMSI is read is never asked. A refused
// signal query is unknown, not the level read before.
TEST_F(DeviceInfoCollectionTest, ARefusedImsiShowsWhatTheSimSaysOfItself) {
    ASSERT_TRUE(Collect());
    EXPECT_EQ(result.read.sim, SimState::Ready);
    EXPECT_EQ(sent.size(), 11u);
    const struct {
        const char* answer;  // nullptr: refused; "": no answer
        SimState state;
        const char* shown;
    } kCases[] = {
        {"+CPIN: SIM PIN", SimState::PinRequired, "SIM PIN required"},
        {"+CPIN: SIM PUK", SimState::PukRequired, "SIM PUK required (blocked)"},
        {nullptr, SimState::Absent, "No SIM Inserted"},
        {"", SimState::Absent, "No SIM Inserted"},
        {"+CPIN: READY", SimState::Unknown, "SIM not ready"},
        {"+CPIN: SIM PIN2", SimState::Unknown, "SIM not ready"},
    };
    refused = {"AT+CIMI\r\n", "AT+CSQ\r\n"};
    for (const auto& [answer, state, shown] : kCases) {
        SCOPED_TRACE(answer ? answer : "(refused)");
        refused.erase("AT+CPIN?\r\n");
        replies.erase("AT+CPIN?\r\n");
        if (answer == nullptr)
            refused.insert("AT+CPIN?\r\n");
        else if (*answer != '\0')
            replies["AT+CPIN?\r\n"] = answer;
        sent.clear();
        ASSERT_TRUE(Collect());
        EXPECT_EQ(sent.back(), "AT+CPIN?\r\n");
        EXPECT_EQ(sent.size(), 12u);
        EXPECT_EQ(result.read.sim, state);
        EXPECT_EQ(info.sim, state);
        EXPECT_EQ(info.imsi, shown);
        EXPECT_FALSE(result.read.imsi);
        EXPECT_EQ(info.signal, 99);
    }
}

// A slow gateway's replies land one command late: an answer in the form of
// another query, or none at all, changes nothing shown; a signal outside the
// defined values is unknown.
TEST_F(DeviceInfoCollectionTest, ForeignOrMissingAnswersKeepWhatWasShown) {
    ASSERT_TRUE(Collect());
    const struct {
        const char* command;
        const char* reply;  // nullptr: no answer
    } kCases[] = {
        {"AT+CIMI\r\n", "R7.2"},           {"AT+CIMI\r\n", nullptr},
        {"AT+CNUM\r\n", "+CSQ: 17,99"},    {"AT+CNUM\r\n", nullptr},
        {"AT+CSQ\r\n", "234150000000001"}, {"AT+CSQ\r\n", "+CSQ: ,99"},
        {"AT+CSQ\r\n", nullptr},           {"AT+CREG?\r\n", "+CNUM: \"a\",\"1\",129"},
        {"AT+CREG?\r\n", "+CREG: 0,7"},    {"AT+CGMR\r\n", "+CREG: 0,1"},
        {"AT+CGMI\r\n", nullptr},
    };
    for (const auto& [command, reply] : kCases) {
        SCOPED_TRACE(std::string(command) + (reply ? reply : "(silent)"));
        const auto kept = replies;
        if (reply) {
            replies[command] = reply;
        } else {
            replies.erase(command);
        }
        ASSERT_TRUE(Collect());
        EXPECT_EQ(info.imsi, "234150000000001");
        EXPECT_EQ(info.phoneNumber, "+447700900123");
        EXPECT_EQ(info.signal, 17);
        EXPECT_EQ(info.registration, 1);
        EXPECT_EQ(info.revision, "R7.2");
        EXPECT_EQ(info.manufacturer, "Sierra");
        replies = kept;
    }
    EXPECT_FALSE(result.read.manufacturer) << "silent: shown, but not read this time";

    for (const char* signal : {"+CSQ: 32,99", "+CSQ: 2147483647,0", "+CSQ: -1,0"}) {
        replies["AT+CSQ\r\n"] = signal;
        ASSERT_TRUE(Collect());
        EXPECT_EQ(info.signal, 99) << signal;
        EXPECT_FALSE(result.read.signal) << signal;
    }
}

// A gateway lost in the middle of a Refresh (Cancel in the wait): nothing it
// showed before changes, and the collection is not complete.
TEST_F(DeviceInfoCollectionTest, LostGatewayKeepsEveryValue) {
    ASSERT_TRUE(Collect());
    const DeviceInfo before = info;
    replies = {{"AT\r\n\r\n", ""}, {"AT+CGMI\r\n", "Sierra"}};
    EXPECT_FALSE(Collect());
    EXPECT_EQ(info.imsi, before.imsi);
    EXPECT_EQ(info.phoneNumber, before.phoneNumber);
    EXPECT_EQ(info.serialNumber, before.serialNumber);
    EXPECT_EQ(info.revision, before.revision);
    EXPECT_EQ(info.signal, before.signal);
    EXPECT_FALSE(result.read.imsi);
    EXPECT_NE(model.StateGroups(), nullptr);
}

TEST_F(DeviceInfoCollectionTest, RadioNotConfiguredClearsThePresence) {
    replies[kRadioCommand] = "<error>Currently not configured or supported</error>";
    EXPECT_TRUE(Collect());
    EXPECT_FALSE(model.RadioPresent());
    replies.erase(kRadioCommand);  // no answer at all is not an error
    EXPECT_TRUE(Collect());
}

TEST_F(DeviceInfoCollectionTest, EmptyConfigurationRepliesFail) {
    replies[kStateCommand] = "";
    EXPECT_FALSE(Collect());
    replies.erase(kStateCommand);
    EXPECT_FALSE(Collect());
    EXPECT_EQ(info.manufacturer, "Sierra");  // read before the failing job
    EXPECT_NE(model.SettingsDocument(), nullptr);
    EXPECT_EQ(model.StateDocument(), nullptr);

    replies.erase(kSettingsCommand);
    model.Reset();
    EXPECT_FALSE(Collect());
    EXPECT_EQ(model.SettingsDocument(), nullptr);
}

TEST_F(DeviceInfoCollectionTest, EmptyCommandEndsTheScript) {
    JobList jobs = BuildDeviceInfoScript();
    jobs[8].SetCommand("");
    jobs[9].SetCommand("");
    for (CommandJob& job : jobs) {
        Answer(job, "+CSQ: 20,0");
    }
    EXPECT_TRUE(ReadDeviceInfoResults(jobs, model, info).complete);
    EXPECT_EQ(info.signal, 20);
    EXPECT_EQ(model.RadioSettingsDocument(), nullptr);
}

}  // namespace

// A reply that came but could not be read does not stop the collection; it is
// handed back for the user. A radio query that got no answer is no such reply.
TEST_F(DeviceInfoCollectionTest, UnreadableRepliesAreHandedBack) {
    replies[kSettingsCommand] = "<rci_reply><query_setting></rci_reply>";
    replies[kRadioCommand] = "<rci_reply><do_command>";
    ASSERT_TRUE(Collect());
    ASSERT_EQ(result.unread.size(), 2u);
    EXPECT_EQ(result.unread[0].document, "device settings");
    EXPECT_NE(result.unread[0].reason.find("mismatch"), std::string::npos);
    EXPECT_EQ(result.unread[1].document, "radio settings");
    EXPECT_NE(model.StateGroups(), nullptr);

    replies.erase(kRadioCommand);
    replies[kSettingsCommand] = "<rci_reply><query_setting/></rci_reply>";
    ASSERT_TRUE(Collect());
    EXPECT_TRUE(result.unread.empty());

    // A late settings reply in the state query's place is not the state.
    replies[kStateCommand] = replies[kSettingsCommand];
    ASSERT_TRUE(Collect());
    ASSERT_EQ(result.unread.size(), 1u);
    EXPECT_EQ(result.unread[0].document, "device state");
    EXPECT_EQ(NodeContent(model.StateGroups()), "ATT & Co");
}
