#include <gtest/gtest.h>

#include <string>

#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "model/CellularValues.h"
#include "model/ConfigModel.h"
#include "model/DeviceInfo.h"
#include "model/DeviceInfoCollection.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/support/WorkerScriptRunner.h"

namespace {

// The device information script through the real link, against the simulated
// gateway. Time runs faster than real so that unanswered queries end soon.
struct Collection {
    explicit Collection(const SimGateway& gateway, std::uint32_t speed = 20)
        : clock(speed), port(clock), runner(port) {
        DiscoveryOptions options;
        options.explicitPort = gateway.LinkPath();
        std::string reason;
        opened = DiscoverPort(port, options, {}, &reason);
    }

    bool Collect() { return CollectDeviceInfo(runner, model, info).complete; }

    ScaledClock clock;
    ModemPort port;
    WorkerScriptRunner runner;
    ConfigModel model;
    DeviceInfo info;
    bool opened = false;
};

std::string ExpectedScriptBytes() {
    std::string bytes;
    for (const CommandJob& job : BuildDeviceInfoScript())
        bytes += job.GetCommand();
    return bytes;
}

}  // namespace

TEST(DeviceInfoEndToEnd, StartUpScriptReachesTheGatewayByteForByte) {
    SimGateway gateway;
    Collection collection(gateway);
    ASSERT_TRUE(collection.opened);

    ASSERT_TRUE(collection.Collect());

    EXPECT_EQ(gateway.ReceivedBytes(), ExpectedScriptBytes());
    EXPECT_EQ(gateway.ReceivedBytes().substr(0, 15), "AT\r\n\r\nAT+CGMI\r\n");
    const DeviceInfo& info = collection.info;
    EXPECT_EQ(info.manufacturer, "Halvard Cellular");
    EXPECT_EQ(info.serialNumber, "356938035643809");
    EXPECT_EQ(info.imsi, "310260123456789");
    EXPECT_EQ(info.phoneNumber, "+15125550142");
    EXPECT_EQ(info.signal, 17);
    EXPECT_EQ(info.registration, 1);
    EXPECT_NE(collection.model.SettingsGroups(), nullptr);
    EXPECT_NE(collection.model.StateGroups(), nullptr);
    EXPECT_NE(collection.model.RadioGroups(), nullptr);
    EXPECT_TRUE(collection.model.RadioPresent());
    EXPECT_EQ(collection.runner.Texts().size(), 11u);
    EXPECT_EQ(collection.runner.Texts().front(), "Collecting Device information...");
}

TEST(DeviceInfoEndToEnd, GatewayWithoutSimOrRadioThatEchoesItsCommands) {
    SimGateway gateway({"--no-sim", "--no-radio", "--echo", "--csq", "99", "--creg", "+CREG: 5"});
    Collection collection(gateway);
    ASSERT_TRUE(collection.opened);

    ASSERT_TRUE(collection.Collect());

    const DeviceInfo& info = collection.info;
    EXPECT_EQ(info.imsi, "No SIM Inserted");
    EXPECT_EQ(info.phoneNumber, "N/A");
    EXPECT_EQ(info.signal, 99);
    EXPECT_EQ(info.registration, 5);
    EXPECT_EQ(info.manufacturer, "Halvard Cellular") << "the echo must not reach the payload";
    EXPECT_FALSE(collection.model.RadioPresent());
    EXPECT_EQ(collection.model.RadioGroups(), nullptr);
    EXPECT_NE(collection.model.SettingsGroups(), nullptr);
}

// A SIM taken out of a modem that refuses with extended errors: at the next
// collection nothing read before is shown as current.
TEST(DeviceInfoEndToEnd, ExtendedErrorsAfterTheSimWasRemovedLeaveNoOldValue) {
    SimGateway gateway({"--no-sim", "--extended-errors", "--error-on", "AT+CSQ"});
    Collection collection(gateway);
    ASSERT_TRUE(collection.opened);
    DeviceInfo& info = collection.info;
    info.imsi = "310260123456789";
    info.phoneNumber = "+15125550142";
    info.signal = 17;
    info.signalRead = true;

    ASSERT_TRUE(collection.Collect());

    EXPECT_EQ(info.imsi, "No SIM Inserted");
    EXPECT_EQ(info.sim, SimState::Absent);
    EXPECT_EQ(info.phoneNumber, "N/A");
    EXPECT_EQ(SignalText(info.signal), "unknown");
}

TEST(DeviceInfoEndToEnd, FailingNumberQueryShowsNotAvailable) {
    SimGateway gateway({"--error-on", "AT+CNUM"});
    Collection collection(gateway);
    ASSERT_TRUE(collection.opened);

    ASSERT_TRUE(collection.Collect());

    EXPECT_EQ(collection.info.phoneNumber, "N/A");
    EXPECT_EQ(collection.info.imsi, "310260123456789");
}

TEST(DeviceInfoEndToEnd, GatewayThatIgnoresConfigurationQueriesFails) {
    // The eight modem queries are answered, the configuration queries are not.
    SimGateway gateway({"--silent-after", "8"});
    Collection collection(gateway, 200);
    ASSERT_TRUE(collection.opened);

    EXPECT_FALSE(collection.Collect());

    EXPECT_EQ(collection.info.manufacturer, "Halvard Cellular");
    EXPECT_EQ(collection.model.SettingsGroups(), nullptr);
}

TEST(DeviceInfoEndToEnd, AReplyThatNeverEndsFailsItsQueryAndTheNextOnesStillWork) {
    SimGateway gateway({"--endless-on", "AT+CGMI"});
    Collection collection(gateway);
    ASSERT_TRUE(collection.opened);
    // Time enough to fill the reply buffer: a reply cut short by its deadline
    // would still count as an answer.
    JobList jobs{CommandJob("AT+CGMI\r\n", "Maker...", 60000),
                 CommandJob("AT+CGSN\r\n", "Serial...", 500)};

    collection.runner.Run(jobs);

    EXPECT_EQ(jobs[0].GetStatus(), CommandJob::kFailed);
    EXPECT_EQ(jobs[0].GetResponse(), "");
    EXPECT_EQ(jobs[1].GetStatus(), CommandJob::kSucceeded);
    EXPECT_NE(jobs[1].GetResponse().find("356938035643809"), std::string::npos);
}

// A gateway slower than the time-outs: its replies land one command late.
// Whatever lands where, no value shows another query's answer. Real time: a
// reply must come later than the quiet window the drain before each command
// waits for, which does not scale.
TEST(DeviceInfoEndToEnd, LateRepliesAreNotTakenForTheNextQuerysAnswer) {
    SimGateway gateway({"--reply-delay", "700", "--time-scale", "1"});
    Collection collection(gateway, 1);
    ASSERT_TRUE(collection.opened);

    collection.Collect();

    const DeviceInfo& info = collection.info;
    EXPECT_TRUE(info.imsi.empty() || info.imsi == "310260123456789") << info.imsi;
    EXPECT_TRUE(info.phoneNumber.empty() || info.phoneNumber == "+15125550142") << info.phoneNumber;
    EXPECT_TRUE(info.signal == 0 || info.signal == 17) << info.signal;
    EXPECT_TRUE(info.registration == 0 || info.registration == 1) << info.registration;
    EXPECT_FALSE(info.revision.starts_with("+C")) << info.revision;
    if (const xmlNodePtr state = collection.model.StateGroups()) {
        EXPECT_STREQ(reinterpret_cast<const char*>(state->parent->name), "query_state");
    }
}
