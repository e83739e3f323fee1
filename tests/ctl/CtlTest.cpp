#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ctl/Ctl.h"
#include "ctl/ExitStatus.h"
#include "ctl/SettingPath.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"

namespace {

// One r7ctl run: its exit status and what it wrote.
struct CtlRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs r7ctl in this process, on a clock fast enough that the apply's pause
// and the gateway's restarts take milliseconds.
CtlRun Ctl(std::vector<std::string> arguments) {
    std::ostringstream out;
    std::ostringstream err;
    ScaledClock clock(50);
    CtlEnvironment environment{out, err, stderr, &clock, {}};
    // Discovery must never find the machine's own devices.
    environment.discovery.sysfsRoot = "/nonexistent";
    CtlRun run;
    run.status = RunCtl(arguments, environment);
    run.out = out.str();
    run.err = err.str();
    return run;
}

CtlRun CtlOn(const SimGateway& gateway, std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--port", gateway.LinkPath()});
    return Ctl(arguments);
}

}  // namespace

TEST(CtlCommandLine, UsageErrorsExitTwoAndHelpExitsZero) {
    EXPECT_EQ(Ctl({}).status, kExitUsage);
    EXPECT_EQ(Ctl({"frobnicate"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"info", "extra"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"get"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"--retries", "0", "info"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"--port"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"--json=yes", "info"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"set", "no-equals-sign"}).status, kExitUsage);

    const CtlRun help = Ctl({"set", "--help"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_NE(help.out.find("r7ctl set PATH=VALUE"), std::string::npos);
    EXPECT_NE(Ctl({"--help"}).out.find("info [--json]"), std::string::npos);
}

TEST(CtlCommandLine, AssignmentKeepsIndexQualifiersInThePath) {
    std::string path;
    std::string value;
    ASSERT_TRUE(SplitAssignment("mgmtconnection&index=3/connectionEnabled=on", path, value));
    EXPECT_EQ(path, "mgmtconnection&index=3/connectionEnabled");
    EXPECT_EQ(value, "on");
    ASSERT_TRUE(SplitAssignment("mobile_simple/password=a=b&c", path, value));
    EXPECT_EQ(path, "mobile_simple/password");
    EXPECT_EQ(value, "a=b&c");
    ASSERT_TRUE(SplitAssignment("mobile_simple/apn=", path, value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(SplitAssignment("=value", path, value));
    EXPECT_FALSE(SplitAssignment("mgmtconnection&index=3", path, value));
}

TEST(CtlCommandLine, NoGatewayExitsThreeWithTheReason) {
    const CtlRun run = Ctl({"info"});
    EXPECT_EQ(run.status, kExitNoGateway);
    EXPECT_NE(run.err.find("/nonexistent"), std::string::npos) << run.err;
    EXPECT_EQ(Ctl({"info", "--port", "/nonexistent/tty"}).status, kExitNoGateway);
}

TEST(CtlGateway, InfoPrintsTheDeviceInformation) {
    SimGateway gateway;
    const CtlRun text = CtlOn(gateway, {"info"});
    ASSERT_EQ(text.status, kExitSuccess) << text.err;
    EXPECT_NE(text.out.find("imsi: 310260123456789\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("firmware: "), std::string::npos);

    const CtlRun json = CtlOn(gateway, {"info", "--json"});
    ASSERT_EQ(json.status, kExitSuccess);
    EXPECT_NE(json.out.find("\"imsi\": \"310260123456789\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"signal\": 17"), std::string::npos);
}

TEST(CtlGateway, GetPrintsValuesAndNamesMissingPaths) {
    SimGateway gateway;
    const CtlRun run =
        CtlOn(gateway, {"get", "mobile_simple/apn", "mgmtconnection&index=3/connectionEnabled",
                        "mobile_simple/nothing"});
    EXPECT_EQ(run.status, kExitRefused);
    EXPECT_EQ(run.out,
              "mobile_simple/apn=internet.linkhold.example\n"
              "mgmtconnection&index=3/connectionEnabled=off\n");
    EXPECT_NE(run.err.find("mobile_simple/nothing"), std::string::npos);
}

TEST(CtlGateway, SetSendsTheDocumentOnceAndReportsWhatTheGatewayKept) {
    SimGateway gateway;
    const CtlRun run = CtlOn(
        gateway, {"set", "mobile_simple/apn=fleet.example", "mobile_simple/mobile_gsm_band=99"});
    EXPECT_EQ(run.status, kExitRefused);
    EXPECT_EQ(run.out, "mobile_simple/apn=fleet.example\nmobile_simple/mobile_gsm_band=9\n");
    EXPECT_NE(run.err.find("mobile_simple/mobile_gsm_band"), std::string::npos) << run.err;

    int documents = 0;
    for (const std::string& command : gateway.ReceivedCommands())
        documents += command.find("<apn>fleet.example</apn>") != std::string::npos;
    EXPECT_EQ(documents, 1);
    EXPECT_EQ(CtlOn(gateway, {"get", "mobile_simple/apn"}).out,
              "mobile_simple/apn=fleet.example\n");
}

TEST(CtlGateway, SetOfAnUnknownPathSendsNothing) {
    SimGateway gateway;
    const CtlRun run = CtlOn(gateway, {"set", "mobile_simple/nothing=1"});
    EXPECT_EQ(run.status, kExitRefused);
    for (const std::string& command : gateway.ReceivedCommands())
        EXPECT_EQ(command.find("set_setting"), std::string::npos);
}
