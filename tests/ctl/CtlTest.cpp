#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ctl/Ctl.h"
#include "ctl/ExitStatus.h"
#include "ctl/JsonText.h"
#include "ctl/SettingPath.h"
#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "link/SerialDevice.h"
#include "model/FileDigest.h"
#include "tests/link/FakeSystem.h"
#include "tests/link/TempDir.h"
#include "tests/support/FullDisk.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/support/WorkerScriptRunner.h"
#include "tests/support/WorkerUploadRunner.h"
#include "tests/ui/FakePrompter.h"
#include "transfer/PythonFiles.h"

namespace {

// One r7ctl run: its exit status and what it wrote.
struct CtlRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs r7ctl in this process, on a clock fast enough that the apply's pause
// and the gateway's restarts take milliseconds.
// Discovery that must never find the machine's own devices.
DiscoveryOptions NoDevices() {
    DiscoveryOptions options;
    options.sysfsRoot = "/nonexistent";
    return options;
}

CtlRun CtlReading(std::istream& in, std::vector<std::string> arguments,
                  DiscoveryOptions discovery = NoDevices(), Clock* clock = nullptr,
                  std::FILE* progress = stderr) {
    std::ostringstream out;
    std::ostringstream err;
    ScaledClock fast(50);
    CtlEnvironment environment{out, err, progress, clock ? clock : &fast, std::move(discovery)};
    environment.in = &in;
    CtlRun run;
    run.status = RunCtl(arguments, environment);
    run.out = out.str();
    run.err = err.str();
    return run;
}

CtlRun Ctl(std::vector<std::string> arguments, DiscoveryOptions discovery = NoDevices(),
           Clock* clock = nullptr, const std::string& input = {}) {
    std::istringstream in(input);
    return CtlReading(in, std::move(arguments), std::move(discovery), clock);
}

CtlRun CtlOn(const SimGateway& gateway, std::vector<std::string> arguments,
             const std::string& input = {}) {
    arguments.insert(arguments.end(), {"--port", gateway.LinkPath()});
    return Ctl(arguments, NoDevices(), nullptr, input);
}

std::string WriteProgram(const SimGateway& gateway, const std::string& name,
                         const std::string& text) {
    const std::string path = gateway.Directory() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(CtlCommandLine, UsageErrorsExitTwoAndHelpExitsZero) {
    EXPECT_EQ(Ctl({}).status, kExitUsage);
    EXPECT_EQ(Ctl({"frobnicate"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"info", "extra"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"get"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"--retries", "0", "info"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"--wait", "soon", "info"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"--port"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"--json=yes", "info"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"set", "no-equals-sign"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"--log", "/nonexistent/r7.log", "info"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"set", "a/b=-", "a/c=-"}, NoDevices(), nullptr, "x").status, kExitUsage);
    EXPECT_EQ(Ctl({"metrics", "--all", "--port", "/dev/ttyACM0"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"metrics", "--textfile"}).status, kExitUsage);

    const CtlRun help = Ctl({"set", "--help"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_NE(help.out.find("r7ctl set PATH=VALUE"), std::string::npos);
    const CtlRun list = Ctl({"help"});
    EXPECT_EQ(list.status, kExitSuccess);
    EXPECT_EQ(list.out, Ctl({"--help"}).out);
    EXPECT_EQ(Ctl({"help", "set"}).out, help.out);
    EXPECT_EQ(Ctl({"help", "frobnicate"}).status, kExitUsage);
    EXPECT_NE(list.out.find("\n  info            show"), std::string::npos);
    // Each command has its one line in the list, and every text fits 80 columns.
    const std::string commands = list.out.substr(list.out.find("Commands:\n"));
    std::istringstream listed(commands.substr(0, commands.find("\n\n")));
    std::string line;
    std::getline(listed, line);
    int count = 0;
    for (; std::getline(listed, line); ++count)
        EXPECT_TRUE(line.size() > 19 && line[17] == ' ' && line[18] != ' ') << line;
    EXPECT_GE(count, 20);
    for (const std::string& text : {list.out, help.out, Ctl({"help", "python"}).out}) {
        std::istringstream lines(text);
        while (std::getline(lines, line))
            EXPECT_LE(line.size(), 80u) << line;
    }
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

TEST(CtlCommandLine, WaitCarriesOnWhenTheGatewayIsPluggedInAndExitsThreeWithout) {
    const CtlRun none = Ctl({"--wait", "2", "info"});
    EXPECT_EQ(none.status, kExitNoGateway);
    EXPECT_NE(none.err.find("no gateway appeared within 2 s"), std::string::npos) << none.err;
    // Seven weeks are waited out whole, not cut short where milliseconds overflow 32 bits.
    ManualClock weeks;
    weeks.onSleep = [&] { weeks.Advance(3600 * 1000); };
    EXPECT_EQ(Ctl({"--wait", "4294968", "info"}, NoDevices(), &weeks).status, kExitNoGateway);
    EXPECT_GE(weeks.NowMs(), 4294968000u);

    TempDir dir;
    const std::string link = (dir.Path() / "r7").string();
    // Scaled fifty times: the whole wait lasts under two seconds.
    std::future<CtlRun> run = std::async(std::launch::async, [&] {
        return Ctl({"--wait", "90", "--port", link, "info"});
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    SimGateway gateway({"--link", link});
    const CtlRun late = run.get();
    EXPECT_EQ(late.status, kExitSuccess) << late.err;
    EXPECT_NE(late.out.find("imsi: 310260123456789\n"), std::string::npos) << late.out;
}

TEST(CtlGateway, InfoPrintsTheDeviceInformation) {
    SimGateway gateway;
    const CtlRun text = CtlOn(gateway, {"info"});
    ASSERT_EQ(text.status, kExitSuccess) << text.err;
    EXPECT_NE(text.out.find("imsi: 310260123456789\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("firmware: "), std::string::npos);
    EXPECT_NE(text.out.find("signal_dbm: -79\nregistration: Registered, home network\n"),
              std::string::npos)
        << text.out;

    const CtlRun json = CtlOn(gateway, {"info", "--json"});
    ASSERT_EQ(json.status, kExitSuccess);
    EXPECT_NE(json.out.find("\"imsi\": \"310260123456789\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"signal\": 17, \"signal_dbm\": -79, \"registration\": \"Registered, "
                            "home network\", \"registration_stat\": 1,"),
              std::string::npos)
        << json.out;

    // No measurement is a value the gateway gave, with no level to show.
    SimGateway unmeasured({"--csq", "99"});
    const CtlRun unknown = CtlOn(unmeasured, {"info", "--json"});
    EXPECT_EQ(unknown.status, kExitSuccess) << unknown.err;
    EXPECT_NE(unknown.out.find("\"signal\": 99, \"signal_dbm\": null,"), std::string::npos)
        << unknown.out;
}

// One line a sample, as many as asked for; no measurement is null, not a level.
TEST(CtlGateway, SignalPrintsOneSampleALine) {
    SimGateway gateway;
    ScaledClock fast(10);
    const CtlRun json =
        Ctl({"signal", "--count", "3", "--json", "--interval", "1", "--port", gateway.LinkPath()},
            NoDevices(), &fast);
    ASSERT_EQ(json.status, kExitSuccess) << json.err;
    EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 3) << json.out;
    const std::string line =
        "\"answered\": true, \"signal\": 17, \"signal_dbm\": -79, "
        "\"registration\": \"Registered, home network\", "
        "\"registration_stat\": 1, \"operator\": \"T-Mobile\", \"access_technology\": 7}\n";
    for (std::size_t at = 0, lines = 0; lines < 3; ++lines) {
        at = json.out.find(line, at);
        ASSERT_NE(at, std::string::npos) << json.out;
        at += line.size();
    }

    // An interval past 32 bits of milliseconds is waited whole, not wrapped.
    ManualClock manual;
    ASSERT_EQ(Ctl({"signal", "--count", "2", "--interval", "4294968", "--port", gateway.LinkPath()},
                  NoDevices(), &manual)
                  .status,
              kExitSuccess);
    EXPECT_GE(manual.NowMs(), 4294968000u);

    SimGateway unmeasured({"--csq", "99"});
    const CtlRun csv = Ctl({"signal", "--count", "1", "--csv", "--port", unmeasured.LinkPath()},
                           NoDevices(), &fast);
    ASSERT_EQ(csv.status, kExitSuccess) << csv.err;
    EXPECT_TRUE(csv.out.ends_with(",99,,\"Registered, home network\"\n")) << csv.out;

    // A query refused, or answered out of its form, fails the command and is named.
    const struct {
        std::vector<std::string> gateway;
        std::string missing;
    } kUnread[] = {
        {{"--error-on", "AT+CSQ"}, "signal (AT+CSQ)"},
        {{"--creg", "+CSQ: 1,1"}, "registration (AT+CREG?)"},
    };
    for (const auto& [options, missing] : kUnread) {
        SimGateway refusing(options);
        const CtlRun run =
            Ctl({"signal", "--count", "1", "--port", refusing.LinkPath()}, NoDevices(), &fast);
        EXPECT_EQ(run.status, kExitRefused) << missing;
        EXPECT_NE(run.err.find("did not report its " + missing), std::string::npos) << run.err;
    }
}

// A value the gateway did not give is null, never a page text, and the
// command fails naming it.
TEST(CtlGateway, InfoFailsOnEveryValueNotRead) {
    const struct {
        std::vector<std::string> gateway;
        std::vector<std::string> nulls;
    } kCases[] = {
        {{"--csq", "45"}, {"signal"}},
        {{"--error-on", "AT+CGMR"}, {"modem_revision"}},
        {{"--creg", "+CSQ: 1,1"}, {"registration"}},
    };
    for (const auto& [options, nulls] : kCases) {
        SCOPED_TRACE(options.front());
        SimGateway gateway(options);
        const CtlRun run = CtlOn(gateway, {"info", "--json"});
        EXPECT_EQ(run.status, kExitRefused);
        for (const std::string& name : nulls) {
            EXPECT_NE(run.out.find('"' + name + "\": null"), std::string::npos) << run.out;
            EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
        }
        EXPECT_EQ(run.out.find("No SIM Inserted"), std::string::npos);
        EXPECT_EQ(run.out.find("N/A"), std::string::npos);
    }
}

// Whatever step meets a port gone for good, the status says there is no
// usable gateway.
TEST(CtlGateway, AGatewayGoneForGoodExitsThree) {
    const std::vector<std::string> atADocument = {"--vanish-on", "usbinterface"};
    // An upload's data goes through no script.
    const std::vector<std::string> inTheData = {"--vanish-after-bytes", "4000"};
    const struct {
        std::vector<std::string> sim;
        std::vector<std::string> command;  // a file argument is written first
    } kCases[] = {
        {atADocument, {"info"}},
        {atADocument, {"python", "ls"}},
        {atADocument, {"mesh", "discover"}},
        {inTheData, {"python", "put", "p.py"}},
        {inTheData, {"firmware", "image.bin"}},
    };
    for (const auto& [sim, command] : kCases) {
        SCOPED_TRACE(command.back());
        std::vector<std::string> options = sim;
        options.push_back("--vanish-for-good");
        SimGateway gateway(options);
        AwayClock clock(gateway.LinkPath(), 50, 5000);
        std::vector<std::string> arguments = command;
        if (arguments.back().find('.') != std::string::npos)
            arguments.back() = WriteProgram(gateway, arguments.back(), std::string(20000, '#'));
        arguments.insert(arguments.end(), {"--port", gateway.LinkPath()});
        EXPECT_EQ(Ctl(arguments, NoDevices(), &clock).status, kExitNoGateway);
    }
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

    // A group's text is the white space between its settings, no value.
    const CtlRun group = CtlOn(gateway, {"get", "mobile_simple/apn", "mobile_simple"});
    EXPECT_EQ(group.status, kExitUsage);
    EXPECT_EQ(group.out, "");
    const std::string groups = WriteProgram(gateway, "groups.txt", "serial=9600\n");
    EXPECT_EQ(CtlOn(gateway, {"diff", groups}).status, kExitUsage);
    EXPECT_EQ(CtlOn(gateway, {"apply", groups}).status, kExitUsage);
}

TEST(CtlGateway, SetSendsTheDocumentOnceAndReportsWhatTheGatewayKept) {
    SimGateway gateway;
    const CtlRun run = CtlOn(
        gateway, {"set", "mobile_simple/apn=fleet.example", "mobile_simple/mobile_gsm_band=99"});
    EXPECT_EQ(run.status, kExitRefused);
    EXPECT_EQ(run.out, "mobile_simple/apn: changed internet.linkhold.example -> fleet.example\n");
    EXPECT_NE(run.err.find("mobile_simple/mobile_gsm_band"), std::string::npos) << run.err;

    int documents = 0;
    for (const std::string& command : gateway.ReceivedCommands())
        documents += command.find("<apn>fleet.example</apn>") != std::string::npos;
    EXPECT_EQ(documents, 1);
    EXPECT_EQ(CtlOn(gateway, {"get", "mobile_simple/apn"}).out,
              "mobile_simple/apn=fleet.example\n");
}

// A value the gateway's settings reply could not carry back whole (the reply
// is read into 100000 bytes) would leave a gateway no backup or get can read.
TEST(CtlGateway, SetOfAnUnknownPathOrABadValueSendsNothing) {
    SimGateway gateway;
    const struct {
        std::string assignment;
        std::string input;
        int status;
        std::string reason;
    } cases[] = {
        {"mobile_simple/nothing=1", "", kExitRefused, "mobile_simple/nothing"},
        {"mobile_simple=foo", "", kExitUsage, "mobile_simple is a settings group"},
        {"mobile_simple/apn=caf\xe9", "", kExitUsage, "not valid UTF-8"},
        {"mobile_simple/password=-", "\xc3(\n", kExitUsage, "not valid UTF-8"},
        {"mobile_simple/apn=a\x01-b", "", kExitUsage, "control character"},
        {"mobile_simple/apn=" + std::string(120000, 'a'), "", kExitUsage, "100000 bytes"},
        {"mobile_simple/apn=" + std::string(20000, '&'), "", kExitUsage, "100000 bytes"},
    };
    for (const auto& row : cases) {
        const CtlRun run = CtlOn(gateway, {"set", row.assignment}, row.input);
        EXPECT_EQ(run.status, row.status) << row.reason;
        EXPECT_NE(run.err.find(row.reason), std::string::npos) << run.err;
    }
    for (const std::string& command : gateway.ReceivedCommands())
        EXPECT_EQ(command.find("set_setting"), std::string::npos);
}

int CommandsStartingWith(const SimGateway& gateway, const std::string& start) {
    int count = 0;
    for (const std::string& command : gateway.ReceivedCommands())
        count += command.starts_with(start);
    return count;
}

// A SIM that is missing or locked is reported as such, and is no failure; the
// SIM is asked for its state only when its IMSI was refused.
TEST(CtlGateway, InfoReportsTheSimsStateAndSucceeds) {
    const struct {
        std::vector<std::string> gateway;
        std::string sim;
        std::string imsi;
    } kCases[] = {
        {{}, "ready", "310260123456789"},
        {{"--no-sim"}, "absent", "No SIM Inserted"},
        {{"--no-sim", "--extended-errors"}, "absent", "No SIM Inserted"},
        {{"--sim-state", "pin"}, "pin-required", "SIM PIN required"},
        {{"--sim-state", "puk", "--extended-errors"}, "puk-required", "SIM PUK required (blocked)"},
    };
    for (const auto& [options, sim, imsi] : kCases) {
        SCOPED_TRACE(sim);
        SimGateway gateway(options);
        const CtlRun json = CtlOn(gateway, {"info", "--json"});
        EXPECT_EQ(json.status, kExitSuccess) << json.err;
        EXPECT_NE(json.out.find("\"sim\": \"" + sim + '"'), std::string::npos) << json.out;
        const CtlRun text = CtlOn(gateway, {"info"});
        EXPECT_NE(text.out.find("imsi: " + imsi + '\n'), std::string::npos) << text.out;
        EXPECT_EQ(CommandsStartingWith(gateway, "AT+CPIN?") > 0, sim != "ready");
        if (sim == "ready")
            continue;
        EXPECT_NE(json.out.find("\"imsi\": null"), std::string::npos) << json.out;
        EXPECT_NE(json.out.find("\"phone_number\": null"), std::string::npos) << json.out;
        EXPECT_EQ(text.err.find("mobile_simple/pin") != std::string::npos, sim == "pin-required")
            << text.err;
    }
}

// The presets of a network, with or without a gateway; --set applies the one
// chosen through set, once, and refuses a choice that leaves several.
TEST(CtlGateway, ApnListsTheNetworksPresetsAndSetsOneOnce) {
    const CtlRun att = Ctl({"apn", "--mccmnc", "310150", "--json"});
    ASSERT_EQ(att.status, kExitSuccess) << att.err;
    EXPECT_NE(att.out.find("{\"country\": \"us\", \"provider\": \"AT&T\", \"name\": \"ATT "
                           "Broadband\", \"apn\": \"broadband\", \"username\": \"\", "
                           "\"password\": \"\", \"plan\": \"\"}"),
              std::string::npos)
        << att.out;
    EXPECT_EQ(Ctl({"apn", "--mccmnc", "31015x"}).status, kExitUsage);
    EXPECT_EQ(Ctl({"apn", "--mccmnc", "00199"}).status, kExitRefused);

    SimGateway gateway;
    const CtlRun listed = CtlOn(gateway, {"apn"});
    ASSERT_EQ(listed.status, kExitSuccess) << listed.err;
    EXPECT_NE(listed.out.find("fast.t-mobile.com"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("Mint Mobile"), std::string::npos) << listed.out;

    const CtlRun ambiguous = CtlOn(gateway, {"apn", "--set", "--provider", "t-mobile"});
    EXPECT_EQ(ambiguous.status, kExitRefused);
    EXPECT_NE(ambiguous.err.find("epc.tmobile.com"), std::string::npos) << ambiguous.err;
    const std::vector<std::string> choice = {"apn",      "--set",  "--provider",
                                             "T-Mobile", "--name", "t-mobile lte"};
    const CtlRun first = CtlOn(gateway, choice);
    ASSERT_EQ(first.status, kExitSuccess) << first.err;
    EXPECT_EQ(first.out,
              "mobile_simple/apn: changed internet.linkhold.example -> fast.t-mobile.com\n");
    const CtlRun second = CtlOn(gateway, choice);
    EXPECT_EQ(second.status, kExitSuccess) << second.err;
    EXPECT_EQ(second.out, "unchanged\n");
    EXPECT_EQ(CommandsStartingWith(gateway, "AT+CPIN?"), 0);
}

// What already holds is not sent again, and a check sends nothing at all.
TEST(CtlGateway, SetApplyAndDiffSendOnlyWhatDiffers) {
    SimGateway gateway;
    const auto documents = [&] { return CommandsStartingWith(gateway, "<rci_request"); };
    ASSERT_EQ(CtlOn(gateway, {"set", "mobile_simple/apn=fleet.example"}).status, kExitSuccess);
    const int sent = documents();
    const CtlRun again = CtlOn(gateway, {"set", "mobile_simple/apn=fleet.example", "--json"});
    EXPECT_EQ(again.out, "{\"changed\": false, \"check\": false, \"changes\": []}\n");
    const CtlRun check = CtlOn(gateway, {"set", "mobile_simple/apn=other.example", "--check"});
    EXPECT_EQ(check.out, "mobile_simple/apn: would change fleet.example -> other.example\n");
    EXPECT_EQ(documents(), sent);

    const std::string desired =
        WriteProgram(gateway, "desired.txt",
                     "# bench\nmobile_simple/apn=fleet.example\nmobile_simple/mobile_gsm_band=9\n");
    EXPECT_EQ(CtlOn(gateway, {"diff", desired}).status, kExitSuccess);
    const std::string changed =
        WriteProgram(gateway, "changed.txt",
                     "mobile_simple/apn=depot.example\nmobile_simple/mobile_gsm_band=9\n");
    const CtlRun differ = CtlOn(gateway, {"diff", changed});
    EXPECT_EQ(differ.status, kExitRefused);
    EXPECT_EQ(differ.out, "mobile_simple/apn: fleet.example -> depot.example\n");
    EXPECT_EQ(CtlOn(gateway, {"apply", changed, "--check"}).status, kExitSuccess);
    EXPECT_EQ(documents(), sent);

    ASSERT_EQ(CtlOn(gateway, {"apply", changed}).status, kExitSuccess);
    const std::vector<std::string> commands = gateway.ReceivedCommands();
    const auto applied = std::find_if(commands.rbegin(), commands.rend(), [](const std::string& c) {
        return c.find("<set_setting>") != std::string::npos;
    });
    ASSERT_NE(applied, commands.rend());
    EXPECT_EQ(*applied,
              "<rci_request version='1.1'><set_setting><mobile_simple><apn>depot.example</apn>"
              "</mobile_simple></set_setting></rci_request>")
        << "only the changed value";
    EXPECT_EQ(CtlOn(gateway, {"diff", changed}).status, kExitSuccess);
}

TEST(CtlGateway, SetReadsASecretFromStandardInputAndNeverPrintsIt) {
    SimGateway gateway;
    const CtlRun run = CtlOn(gateway, {"set", "mobile_simple/password=-", "mobile_simple/pin=1234"},
                             "pass word=&\n");
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out,
              "mobile_simple/password: changed (hidden) -> (hidden)\n"
              "mobile_simple/pin: changed (hidden) -> (hidden)\n");
    EXPECT_NE(gateway.ReceivedBytes().find("<password>pass word=&amp;</password>"),
              std::string::npos);
    // Asked for by name, it is shown; in a list or the exchanges of -v only on request.
    EXPECT_EQ(CtlOn(gateway, {"get", "mobile_simple/pin"}).out, "mobile_simple/pin=1234\n");
    EXPECT_NE(CtlOn(gateway, {"get", "--list"}).out.find("mobile_simple/pin=(hidden)\n"),
              std::string::npos);
    EXPECT_NE(CtlOn(gateway, {"get", "--list", "--show-secrets"}).out.find("pin=1234\n"),
              std::string::npos);
    for (const bool shown : {false, true}) {
        std::FILE* exchanges = std::tmpfile();
        std::istringstream none;
        std::vector<std::string> arguments = {"backup", "-", "-v", "--port", gateway.LinkPath()};
        if (shown)
            arguments.push_back("--show-secrets");
        ASSERT_EQ(CtlReading(none, arguments, NoDevices(), nullptr, exchanges).status,
                  kExitSuccess);
        std::rewind(exchanges);
        std::string logged(1 << 20, '\0');
        logged.resize(std::fread(logged.data(), 1, logged.size(), exchanges));
        std::fclose(exchanges);
        EXPECT_EQ(logged.find("<pin>1234</pin>") != std::string::npos, shown);
        EXPECT_EQ(logged.find("<pin>(hidden)</pin>") != std::string::npos, !shown);
    }
}

namespace {

// Standard input of 50 MB, made as it is read, counting what was taken.
class LongInput : public std::streambuf {
public:
    std::size_t taken = 0;

private:
    int_type underflow() override {
        if (taken >= 50'000'000)
            return traits_type::eof();
        taken += block_.size();
        setg(block_.data(), block_.data(), block_.data() + block_.size());
        return 'a';
    }
    std::string block_ = std::string(64 * 1024, 'a');
};

}  // namespace

// A value no settings reply could carry is refused once that much is read,
// not after holding all of it.
TEST(CtlGateway, SetStopsReadingStandardInputPastWhatAReplyHolds) {
    SimGateway gateway;
    LongInput input;
    std::istream in(&input);
    const CtlRun run = CtlReading(in, {"set", "mobile_simple/apn=-", "--port", gateway.LinkPath()});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find("100000 bytes"), std::string::npos) << run.err;
    EXPECT_LT(input.taken, 1'000'000u);
    EXPECT_TRUE(gateway.ReceivedBytes().empty());
}

TEST(CtlPython, PutListGetAndRemoveRoundTrip) {
    SimGateway gateway;
    const std::string program = WriteProgram(gateway, "meter.py", "print('meter')\n");
    ASSERT_EQ(CtlOn(gateway, {"python", "put", program}).status, kExitSuccess);
    EXPECT_NE(CtlOn(gateway, {"python", "ls"}).out.find("meter.py\t15\n"), std::string::npos);

    const std::string copy = gateway.Directory() + "/copy.py";
    ASSERT_EQ(CtlOn(gateway, {"python", "get", "meter.py", copy}).status, kExitSuccess);
    EXPECT_EQ(ReadFile(copy), "print('meter')\n");

    ASSERT_EQ(CtlOn(gateway, {"python", "rm", "meter.py"}).status, kExitSuccess);
    EXPECT_EQ(CtlOn(gateway, {"python", "ls"}).out.find("meter.py"), std::string::npos);
    EXPECT_EQ(CtlOn(gateway, {"python", "rm", "meter.py"}).status, kExitRefused);
    EXPECT_EQ(CtlOn(gateway, {"python", "get", "meter.py"}).status, kExitRefused);
}

// No list, no nodes: refused, never an empty success.
TEST(CtlPython, ListsAndDiscoveriesNotReadFail) {
    SimGateway refusing({"--error-on", "<ls", "--error-on", "discover"});
    EXPECT_EQ(CtlOn(refusing, {"python", "ls"}).status, kExitRefused);
    EXPECT_EQ(CtlOn(refusing, {"mesh", "discover"}).status, kExitRefused);

    // The removal is answered, the list read back after it is not.
    SimGateway silent({"--silent-after", "3"});
    const CtlRun removed = CtlOn(silent, {"python", "rm", "blink.py"});
    EXPECT_EQ(removed.status, kExitRefused);
    EXPECT_NE(removed.err.find("program list"), std::string::npos) << removed.err;

    SimGateway keeping({"--error-on", "<rm "});
    EXPECT_EQ(CtlOn(keeping, {"python", "rm", "blink.py"}).status, kExitRefused);
    const CtlRun listed = CtlOn(keeping, {"python", "ls", "--json"});
    EXPECT_NE(listed.out.find("{\"name\": \"blink.py\", \"size\": "), std::string::npos)
        << listed.out;
}

TEST(CtlJson, TextIsEscapedAndCountsAreNumbers) {
    EXPECT_EQ(JsonQuote("C:\\a\"b\n\x01"), "\"C:\\\\a\\\"b\\n\\u0001\"");
    EXPECT_EQ(JsonNumber("15"), "15");
    EXPECT_EQ(JsonNumber("007"), "7");
    EXPECT_EQ(JsonNumber("0"), "0");
    EXPECT_EQ(JsonNumber(""), "null");
    EXPECT_EQ(JsonNumber("12k"), "null");
}

TEST(CtlPython, DigestMismatchRetriesThenFailsWithoutAPrompt) {
    SimGateway once({"--wrong-digest", "1"});
    const std::string program = WriteProgram(once, "a.py", "x = 1\n");
    const CtlRun retried = CtlOn(once, {"python", "put", program});
    EXPECT_EQ(retried.status, kExitSuccess) << retried.err;
    EXPECT_NE(retried.err.find("did not correctly transfer"), std::string::npos);

    SimGateway always({"--wrong-digest", "5"});
    const std::string other = WriteProgram(always, "b.py", "x = 2\n");
    EXPECT_EQ(CtlOn(always, {"python", "put", other, "--retries", "3"}).status, kExitRefused);
    int uploads = 0;
    for (const std::string& command : always.ReceivedCommands())
        uploads += command.starts_with("AT&USBINTERFACE=17");
    EXPECT_EQ(uploads, 3);
}

TEST(CtlPython, PutSendsTheSameBytesAsThePythonPageScript) {
    SimGateway byCtl;
    ASSERT_EQ(CtlOn(byCtl, {"python", "put", WriteProgram(byCtl, "same.py", "y = 3\n")}).status,
              kExitSuccess);

    SimGateway byPage;
    ScaledClock clock(50);
    ModemPort port(clock);
    DiscoveryOptions options;
    options.explicitPort = byPage.LinkPath();
    ASSERT_TRUE(DiscoverPort(port, options, {}, nullptr));
    WorkerScriptRunner runner(port);
    WorkerUploadRunner uploader(port, clock);
    FakePrompter prompter;
    EXPECT_TRUE(
        UploadPythonProgram(runner, uploader, prompter, WriteProgram(byPage, "same.py", "y = 3\n"))
            .verified);
    EXPECT_EQ(byCtl.ReceivedBytes(), byPage.ReceivedBytes());
}

TEST(CtlDiscovery, TwoGatewaysWithoutAPortExitThreeListingBoth) {
    SimGateway first;
    SimGateway second;
    FakeSystem system;
    system.AddUsbTty("ttyACM0", {.manufacturer = "WAVECOM"}, "ttyACM0", first.LinkPath());
    system.AddUsbTty("ttyACM1", {.manufacturer = "WAVECOM", .product = "9999"}, "ttyACM1",
                     second.LinkPath());
    system.AddByIdLink("usb-WAVECOM_R7_0001-if00", "ttyACM0");

    const CtlRun info = Ctl({"info"}, system.Options());
    EXPECT_EQ(info.status, kExitNoGateway);
    const std::string byId = system.DevicePath("serial/by-id/usb-WAVECOM_R7_0001-if00");
    EXPECT_NE(info.err.find(byId), std::string::npos) << info.err;
    EXPECT_NE(info.err.find(system.DevicePath("ttyACM1")), std::string::npos) << info.err;
    EXPECT_TRUE(first.ReceivedBytes().empty());

    const CtlRun ports = Ctl({"ports"}, system.Options());
    EXPECT_EQ(ports.status, kExitSuccess);
    EXPECT_EQ(ports.out, system.DevicePath("ttyACM0") + "\t" + byId +
                             "\t1234:5678 WAVECOM\tusable\n" + system.DevicePath("ttyACM1") +
                             "\t-\t1234:9999 WAVECOM\tusable\n");

    // With one gateway left, no --port is needed.
    FakeSystem single;
    single.AddUsbTty("ttyACM0", {.manufacturer = "WAVECOM"}, "ttyACM0", first.LinkPath());
    EXPECT_EQ(Ctl({"info"}, single.Options()).status, kExitSuccess);
}

TEST(CtlDevice, BackupSetRestoreBringsTheOldValueBack) {
    SimGateway gateway;
    const std::string backup = gateway.Directory() + "/fleet.cfg";
    ASSERT_EQ(CtlOn(gateway, {"backup", backup}).status, kExitSuccess);
    ASSERT_EQ(CtlOn(gateway, {"set", "mobile_simple/apn=changed.example"}).status, kExitSuccess);
    const CtlRun restored = CtlOn(gateway, {"restore", backup});
    ASSERT_EQ(restored.status, kExitSuccess) << restored.err;
    EXPECT_EQ(CtlOn(gateway, {"get", "mobile_simple/apn"}).out,
              "mobile_simple/apn=internet.linkhold.example\n");
}

// The log holds the password and PIN: only its owner may read it, and a link
// put in its place is refused, not followed.
TEST(CtlDevice, CommandLogIsPrivateAndNeverFollowsALink) {
    SimGateway gateway;
    const std::filesystem::path log = gateway.Directory() + "/r7.log";
    ASSERT_EQ(CtlOn(gateway, {"info", "--log", log.string()}).status, kExitSuccess);
    EXPECT_EQ(std::filesystem::status(log).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    const std::string sent = gateway.ReceivedBytes();
    const std::filesystem::path link = gateway.Directory() + "/link.log";
    std::filesystem::create_symlink(log, link);
    const CtlRun linked = CtlOn(gateway, {"info", "--log", link.string()});
    EXPECT_EQ(linked.status, kExitUsage);
    EXPECT_NE(linked.err.find("symbolic link"), std::string::npos) << linked.err;
    EXPECT_EQ(gateway.ReceivedBytes(), sent);

    // An older log others could read is made private; one that cannot be
    // written whole fails the command.
    std::filesystem::permissions(log, std::filesystem::perms::others_read,
                                 std::filesystem::perm_options::add);
    {
        const FileSizeLimit full(std::filesystem::file_size(log) + 100);
        const CtlRun cut = CtlOn(gateway, {"info", "--log", log.string()});
        EXPECT_EQ(cut.status, kExitRefused);
        EXPECT_NE(cut.err.find("command log could not be written"), std::string::npos) << cut.err;
    }
    EXPECT_EQ(std::filesystem::status(log).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(CtlDevice, RefusedFilesAndUnconfirmedResetSendNothing) {
    SimGateway gateway;
    const std::string notXml = WriteProgram(gateway, "bad.cfg", "<settings");
    const CtlRun restore = CtlOn(gateway, {"restore", notXml});
    EXPECT_EQ(restore.status, kExitRefused);
    EXPECT_NE(restore.err.find("not well-formed"), std::string::npos) << restore.err;
    EXPECT_EQ(CtlOn(gateway, {"factory-reset"}).status, kExitUsage);
    EXPECT_EQ(CtlOn(gateway, {"firmware", gateway.Directory() + "/missing.bin"}).status,
              kExitRefused);
    // A request that is not a backup would erase the settings, and report a restore.
    const CtlRun reset =
        CtlOn(gateway, {"restore", WriteProgram(gateway, "reset.cfg",
                                                "<rci_request version='1.1'><set_factory_default/>"
                                                "</rci_request>")});
    EXPECT_EQ(reset.status, kExitRefused);
    EXPECT_NE(reset.err.find("set_factory_default"), std::string::npos) << reset.err;
    // Named pipes are refused at once, not waited on for a writer.
    const std::string pipe = gateway.Directory() + "/pipe.py";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::vector<std::string>& command : {std::vector<std::string>{"python", "put", pipe},
                                                    {"firmware", pipe},
                                                    {"radio-firmware", pipe},
                                                    {"info", "--log", pipe}}) {
        const CtlRun run = CtlOn(gateway, command);
        EXPECT_NE(run.status, kExitSuccess);
        EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(gateway.ReceivedBytes().empty());

    ASSERT_EQ(CtlOn(gateway, {"factory-reset", "--yes"}).status, kExitSuccess);
    EXPECT_NE(gateway.ReceivedBytes().find("set_factory_default"), std::string::npos);
}

namespace {

// When the gateway received the command (seconds since it started), or -1.
double ReceivedAt(const SimGateway& gateway, const std::string& command) {
    for (const SimRecord& record : gateway.Records())
        if (record.bytes == command)
            return record.seconds;
    return -1;
}

}  // namespace

// A step answered with ERROR, or not at all, fails the command, with what was
// refused on err. The refused install does not wait out its five-minute raw read.
TEST(CtlDevice, RefusedStepsExitOneAndSaySo) {
    const struct {
        std::vector<std::string> sim;
        std::vector<std::string> command;  // a file argument is written first
        const char* said;
    } kCases[] = {
        {{"--error-on", "set_factory_default"},
         {"factory-reset", "--yes"},
         "refused to restore its factory default settings"},
        {{"--error-on", "at+CFUN"}, {"reboot"}, "The device refused to reboot"},
        {{"--error-on", "set_setting"},
         {"restore", "backup.cfg"},
         "the settings were not restored"},
        {{"--error-on", "at&usbinterface=110"},
         {"firmware", "image.bin"},
         "Firmware Upgrade failed."},
        {{"--error-on", "fw_update"},
         {"radio-firmware", "r.ebl"},
         "did not confirm the radio firmware install"},
        {{"--error-on", "query_state"},
         {"radio-firmware", "r.ebl"},
         "did not report its radio firmware"},
        // Silence is no reboot either: the gateway answers before it restarts.
        {{"--silent-after", "0"}, {"reboot"}, "did not answer the reboot command"},
    };
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.sim.back());
        SimGateway gateway(row.sim);
        std::vector<std::string> command = row.command;
        if (command.size() == 2 && command[1].find('.') != std::string::npos)
            command[1] = WriteProgram(gateway, command[1],
                                      "<rci_request version=\"1.1\"><set_setting><mobile_simple>"
                                      "<apn>x</apn></mobile_simple></set_setting></rci_request>");

        const CtlRun run = CtlOn(gateway, command);

        EXPECT_EQ(run.status, kExitRefused);
        EXPECT_NE(run.err.find(row.said), std::string::npos) << run.err;
        const double installAt = ReceivedAt(gateway, "at&usbinterface=110\r\n");
        if (installAt >= 0) {
            EXPECT_NEAR(ReceivedAt(gateway, "at\r\n"), installAt + 1, 1);
        }
    }
}

// A reboot is done when the gateway has gone away and answers again; one that
// restarts before its OK can be read restarted all the same.
TEST(CtlDevice, ARebootIsConfirmedByTheRestart) {
    const std::vector<std::string> atOnce = {"--vanish-on", "at+CFUN"};
    const struct {
        std::vector<std::string> sim;
        std::vector<std::string> command;
        int status;
        const char* said;
    } kCases[] = {
        {{}, {"reboot"}, kExitSuccess, "restarted in "},
        {atOnce, {"reboot"}, kExitSuccess, "restarted in "},
        {atOnce, {"reboot", "--no-wait"}, kExitSuccess, ""},
        {{"--stay-down"}, {"reboot"}, kExitNoGateway, ""},
    };
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.command.back() + (row.sim.empty() ? "" : " " + row.sim.front()));
        SimGateway gateway(row.sim);
        // A port that stays away outlasts the link's restart bound at once.
        const bool back = row.status == kExitSuccess;
        AwayClock clock(gateway.LinkPath(), 50, back ? 50 : 5000);
        std::vector<std::string> arguments = row.command;
        arguments.insert(arguments.end(), {"--port", gateway.LinkPath()});
        const CtlRun run = Ctl(arguments, NoDevices(), &clock);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_TRUE(run.out.starts_with(row.said)) << run.out;
        const bool waited = row.command.size() == 1;
        EXPECT_EQ(gateway.ReceivedCommands().back(),
                  waited && row.status == kExitSuccess ? "at\r\n" : "at+CFUN=1\r\n");
    }
}

// Named by its bare pseudo-terminal node, the gateway cannot be told from
// whatever process takes that number after the restart: the reset ends as a
// lost port, and nothing more is sent.
TEST(CtlDevice, AResetThroughABareNodeSendsNothingAfterTheRestart) {
    SimGateway gateway;
    const std::string node = std::filesystem::canonical(gateway.LinkPath()).string();
    // The wait for a node that is not back outlasts the restart.
    AwayClock clock(node, 50, 500);
    const CtlRun run = Ctl({"factory-reset", "--yes", "--port", node}, NoDevices(), &clock);
    EXPECT_EQ(run.status, kExitNoGateway);
    EXPECT_NE(run.err.find("did not answer on " + node), std::string::npos) << run.err;
    EXPECT_EQ(gateway.ReceivedCommands().back(), "at+CFUN=1\r\n");
}

TEST(CtlDevice, FirmwareUpdatePrintsTheVersionTheRestartedGatewayReports) {
    SimGateway gateway;
    const std::string image = WriteProgram(gateway, "image.bin", std::string(3000, '\x5a'));
    const CtlRun run = CtlOn(gateway, {"firmware", image});
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out, "firmware: 2.11.4.8\n");

    const CtlRun radio =
        CtlOn(gateway, {"radio-firmware", WriteProgram(gateway, "r.ebl", "radio")});
    ASSERT_EQ(radio.status, kExitSuccess) << radio.err;
    EXPECT_EQ(radio.out, "radio firmware: 2165\n");
}

// A program or firmware the gateway already holds is not sent again.
TEST(CtlDevice, PutIfChangedAndFirmwareVersionSkipWhatIsThere) {
    SimGateway gateway;
    const std::string program = WriteProgram(gateway, "meter.py", "print('meter')\n");
    const auto uploads = [&] {
        int files = 0;
        for (const SimRecord& record : gateway.Records())
            files += record.kind == "data" && record.bytes == "print('meter')\n";
        return files;
    };
    EXPECT_EQ(CtlOn(gateway, {"python", "put", program, "--if-changed"}).out,
              "uploaded meter.py\n");
    EXPECT_EQ(uploads(), 1);
    EXPECT_EQ(CtlOn(gateway, {"python", "put", program, "--if-changed"}).out, "unchanged\n");
    EXPECT_EQ(uploads(), 1);
    std::ofstream(program, std::ios::app) << "# edited\n";
    EXPECT_EQ(CtlOn(gateway, {"python", "put", program, "--if-changed", "--check"}).status,
              kExitSuccess);
    EXPECT_EQ(uploads(), 1);

    const std::string image = WriteProgram(gateway, "image.bin", std::string(3000, '\x5a'));
    const CtlRun current = CtlOn(gateway, {"firmware", image, "--version", "2.11.4.7"});
    EXPECT_EQ(current.out, "unchanged\n") << current.err;
    EXPECT_EQ(CtlOn(gateway, {"firmware", image, "--version", "2.11.4.8", "--check"}).status,
              kExitSuccess);
    EXPECT_EQ(CommandsStartingWith(gateway, "at&usbinterface=110"), 0);
}

// The old state must not be printed as the new firmware's.
TEST(CtlDevice, FirmwareUpdateWhoseGatewayNeverComesBackPrintsNoVersion) {
    SimGateway gateway({"--stay-down"});
    const std::string image = WriteProgram(gateway, "image.bin", std::string(3000, '\x5a'));
    AwayClock clock(gateway.LinkPath(), 50, 5000);
    const CtlRun run = Ctl({"firmware", image, "--port", gateway.LinkPath()}, NoDevices(), &clock);
    EXPECT_EQ(run.status, kExitNoGateway);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("did not answer after the firmware upgrade"), std::string::npos)
        << run.err;
}

TEST(CtlDevice, MeshDiscoverListsEachNodeOnce) {
    SimGateway gateway;
    const CtlRun run = CtlOn(gateway, {"mesh", "discover", "--json"});
    ASSERT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '{'), 3) << run.out;
    EXPECT_NE(run.out.find("\"node_type\": \"Coordinator\", \"product_type\": \"Gateway\""),
              std::string::npos);
}

// Only a digest answered OK with the image's 32 hexadecimal digits (in either
// case) lets the install command go out; an ERROR answer, an empty or a
// malformed one fails the command and installs nothing.
TEST(CtlDevice, FirmwareIsInstalledOnlyAfterAnOkAnswerWithTheMatchingDigest) {
    TempDir local;
    const std::string image = (local.Path() / "image.bin").string();
    std::ofstream(image, std::ios::binary) << std::string(3000, '\x5a');
    std::string capitals = *DigestFile(image);
    std::transform(capitals.begin(), capitals.end(), capitals.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    struct Row {
        std::vector<std::string> sim;
        int status;
    };
    const Row rows[] = {
        {{"--error-on", "at&usbinterface=41"}, kExitRefused},
        {{"--digest-answer", ""}, kExitRefused},
        {{"--digest-answer", "d41d8cd98f00b204e9800998ecf8427"}, kExitRefused},
        {{"--digest-answer", capitals}, kExitSuccess},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.sim.back());
        SimGateway gateway(row.sim);
        const CtlRun run = CtlOn(gateway, {"firmware", image, "--retries", "1"});
        EXPECT_EQ(run.status, row.status) << run.err;
        const std::vector<std::string> sent = gateway.ReceivedCommands();
        EXPECT_EQ(std::count(sent.begin(), sent.end(), "at&usbinterface=110\r\n"),
                  row.status == kExitSuccess ? 1 : 0);
    }
}

// Only an answer of 32 hexadecimal digits ended with OK is a digest.
TEST(CtlPython, DigestPrintsOnlyAGatewayAnswerOfThirtyTwoHexDigits) {
    const struct {
        std::vector<std::string> sim;
        int status;
        std::string out;
    } kCases[] = {
        {{"--digest-answer", "0123456789ABCDEF0123456789abcdef"},
         kExitSuccess,
         "0123456789abcdef0123456789abcdef\n"},
        {{"--digest-answer", "0123456789ghijkl0123456789abcdef"}, kExitRefused, ""},
        {{"--digest-answer", "0123456789abcdef0123456789abcde"}, kExitRefused, ""},
        {{"--error-on", "at&usbinterface=41"}, kExitRefused, ""},
    };
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.sim.back());
        SimGateway gateway(row.sim);
        const CtlRun run = CtlOn(gateway, {"python", "digest", "blink.py"});
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_EQ(run.out, row.out);
    }
}

// A digest that never matches fails every transfer, however many attempts are
// allowed; each attempt fetches (or sends) the file again.
TEST(CtlPython, ADigestThatNeverMatchesFailsWhateverTheRetries) {
    SimGateway gateway({"--digest-answer", "0123456789abcdef0123456789abcdef"});
    const std::string copy = gateway.Directory() + "/copy.py";
    for (const char* retries : {"1", "2", "3"}) {
        SCOPED_TRACE(retries);
        const std::size_t before = gateway.ReceivedCommands().size();
        const CtlRun run =
            CtlOn(gateway, {"python", "get", "blink.py", copy, "--retries", retries});
        EXPECT_EQ(run.status, kExitRefused) << run.err;
        const std::vector<std::string> sent = gateway.ReceivedCommands();
        EXPECT_EQ(std::count_if(sent.begin() + static_cast<long>(before), sent.end(),
                                [](const std::string& command) {
                                    return command.find("<get_file") != std::string::npos;
                                }),
                  std::stol(retries));
    }
    EXPECT_EQ(CtlOn(gateway, {"python", "put", copy}).status, kExitRefused);
}

// A gateway that stops reading in the middle of the data, while staying
// attached: the upload fails after the stall bound instead of hanging.
TEST(CtlPython, PutToAGatewayThatStopsReadingFails) {
    SimGateway gateway({"--stall-after-bytes", "2048"});
    const std::string program = WriteProgram(gateway, "stall.py", std::string(300000, 's'));
    const CtlRun run = CtlOn(gateway, {"python", "put", program});
    EXPECT_EQ(run.status, kExitRefused);
    EXPECT_NE(run.err.find("stopped taking the file"), std::string::npos) << run.err;
}

// Every attached gateway is in the exposition, by its by-id name (escaped),
// with only the values it gave; one held by another program is down as busy
// and sent nothing. The file is the next run's memory: an unplugged gateway
// stays, down, with its last success.
TEST(CtlDiscovery, MetricsSampleEveryGatewayAndSayWhyOneIsDown) {
    SimGateway measured;
    SimGateway unmeasured({"--csq", "99"});
    SimGateway held;
    FakeSystem system;
    system.AddUsbTty("ttyACM0", {.manufacturer = "WAVECOM"}, "ttyACM0", measured.LinkPath());
    system.AddUsbTty("ttyACM1", {.manufacturer = "WAVECOM"}, "ttyACM1", unmeasured.LinkPath());
    system.AddUsbTty("ttyACM2", {.manufacturer = "WAVECOM"}, "ttyACM2", held.LinkPath());
    system.AddByIdLink("usb-WAVECOM_R7_\"01\\2\"-if00", "ttyACM0");
    SerialDevice holder;
    ASSERT_TRUE(holder.Open(system.DevicePath("ttyACM2")));
    TempDir dir;
    const std::string file = (dir.Path() / "r7.prom").string();
    ScaledClock fast(10);
    ASSERT_EQ(Ctl({"metrics", "--all", "--textfile", file}, system.Options(), &fast).status,
              kExitNoGateway);

    const std::string text = ReadFile(file);
    // The by-id name with its quotes and backslash escaped.
    const std::string firstPort =
        system.DevicePath("serial/by-id/usb-WAVECOM_R7_\\\"01\\\\2\\\"-if00");
    const std::string first = "{port=\"" + firstPort + "\"}";
    const std::string second = "{port=\"" + system.DevicePath("ttyACM1") + "\"}";
    for (const std::string& line :
         {"r7_up" + first + " 1\n", "r7_signal_dbm" + first + " -79\n", "r7_up" + second + " 1\n",
          "r7_up{port=\"" + system.DevicePath("ttyACM2") + "\",reason=\"busy\"} 0\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    EXPECT_EQ(text.find("r7_signal_csq" + second), std::string::npos) << text;
    EXPECT_EQ(text.find("r7_signal_dbm" + second), std::string::npos) << text;
    EXPECT_EQ(text.find("310260123456789"), std::string::npos) << text;
    EXPECT_TRUE(held.ReceivedBytes().empty());
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0644));

    const std::string lastSuccess = "r7_last_success_timestamp_seconds" + first;
    const std::size_t last = text.find(lastSuccess);
    ASSERT_NE(last, std::string::npos) << text;
    FakeSystem unplugged;
    ASSERT_EQ(Ctl({"metrics", "--textfile", file}, unplugged.Options(), &fast).status,
              kExitNoGateway);
    const std::string after = ReadFile(file);
    EXPECT_NE(after.find(text.substr(last, text.find('\n', last) - last + 1)), std::string::npos)
        << after;
    EXPECT_NE(after.find("r7_up{port=\"" + firstPort + "\",reason=\"absent\"} 0\n"),
              std::string::npos)
        << after;
}
