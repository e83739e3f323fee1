#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>

#include "SerialClient.h"
#include "SignalWalk.h"
#include "SimGateway.h"
#include "SimTestSupport.h"

using ::testing::MatchesRegex;

TEST(ModemCommandTest, AnswersTheStartUpQueriesInModemForm) {
    SimGateway sim({"--csq", "23"});
    SerialClient client(sim.LinkPath());
    ASSERT_TRUE(client.IsOpen());

    // The empty line after "AT" is part of the same command: one answer, not two.
    EXPECT_EQ(client.Exchange("AT\r\n\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(client.ReadFor(100), "");
    EXPECT_EQ(client.Exchange("AT+CGMI\r\n"), "\r\nHalvard Cellular\r\n\r\nOK\r\n");
    EXPECT_THAT(client.Exchange("AT+CGSN\r\n"), MatchesRegex("\r\n[0-9]{15}\r\n\r\nOK\r\n"));
    EXPECT_THAT(client.Exchange("AT+CIMI\r\n"), MatchesRegex("\r\n[0-9]{15}\r\n\r\nOK\r\n"));
    EXPECT_EQ(client.Exchange("AT+CSQ\r\n"), "\r\n+CSQ: 23,99\r\n\r\nOK\r\n");
    EXPECT_THAT(client.Exchange("AT+CNUM\r\n"),
                MatchesRegex("\r\n\\+CNUM: \"[^\"]*\",\"\\+[0-9]+\",[0-9]+\r\n\r\nOK\r\n"));
    EXPECT_EQ(client.Exchange("AT+CREG?\r\n"), "\r\n+CREG: 0,1\r\n\r\nOK\r\n");
    // Matched without regard to case, as a modem does; anything unknown is refused.
    EXPECT_EQ(client.Exchange("at+cgmi\r\n"), "\r\nHalvard Cellular\r\n\r\nOK\r\n");
    EXPECT_EQ(client.Exchange("ATD5551234\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(client.Exchange("at&usbinterface=99\r\n"), "\r\nERROR\r\n");

    const auto commands = sim.ReceivedCommands();
    ASSERT_EQ(commands.size(), 10u);
    EXPECT_EQ(commands[0], "AT\r\n\r\n");
    EXPECT_EQ(commands[7], "at+cgmi\r\n");
}

TEST(ModemCommandTest, WithoutSimTheSubscriberQueriesFail) {
    SimGateway sim({"--no-sim"});
    SerialClient client(sim.LinkPath());
    EXPECT_EQ(client.Exchange("AT+CIMI\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(client.Exchange("AT+CNUM\r\n"), "\r\nERROR\r\n");
    const std::string state = XmlPart(client.Exchange(Inline(kStateQuery)));
    EXPECT_EQ(ElementText(state, "iccid"), "");
    EXPECT_EQ(ElementText(state, "ip_address"), "0.0.0.0");
}

// The SIM's state in AT+CPIN?, the subscriber queries refused in either form,
// and the operator only while registered; a walk roams onto another network.
TEST(ModemCommandTest, SimStatesAndOperatorAnswerAsAModemDoes) {
    const struct {
        std::vector<std::string> options;
        const char* pin;
        const char* imsi;  // nullptr: answered
        const char* network;
    } kCases[] = {
        {{},
         "\r\n+CPIN: READY\r\n\r\nOK\r\n",
         nullptr,
         "\r\n+COPS: 0,0,\"T-Mobile\",7\r\n\r\nOK\r\n"},
        {{"--no-sim"}, "\r\n+CME ERROR: 10\r\n", "\r\nERROR\r\n", "\r\n+COPS: 0\r\n\r\nOK\r\n"},
        {{"--sim-state", "absent", "--extended-errors"},
         "\r\n+CME ERROR: 10\r\n",
         "\r\n+CME ERROR: 10\r\n",
         "\r\n+COPS: 0\r\n\r\nOK\r\n"},
        {{"--sim-state", "pin"},
         "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n",
         "\r\nERROR\r\n",
         "\r\n+COPS: 0\r\n\r\nOK\r\n"},
        {{"--sim-state", "puk", "--extended-errors"},
         "\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n",
         "\r\n+CME ERROR: 12\r\n",
         "\r\n+COPS: 0\r\n\r\nOK\r\n"},
    };
    for (const auto& [options, pin, imsi, network] : kCases) {
        SCOPED_TRACE(options.empty() ? "ready" : options.back());
        SimGateway sim(options);
        SerialClient client(sim.LinkPath());
        EXPECT_EQ(client.Exchange("AT+CPIN?\r\n"), pin);
        if (imsi != nullptr) {
            EXPECT_EQ(client.Exchange("AT+CNUM\r\n"), imsi);
        }
        EXPECT_EQ(client.Exchange("AT+COPS?\r\n"), network);
    }

    SimGateway walking({"--signal-walk", "--time-scale", "0.002"});
    SerialClient client(walking.LinkPath());
    std::set<std::string> networks;
    // A spell of roaming starts about once in 60 steps of 2 ms: asked until
    // one comes, within a bound far beyond that.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (networks.size() < 2 && std::chrono::steady_clock::now() < giveUp)
        networks.insert(client.Exchange("AT+COPS?\r\n"));
    EXPECT_EQ(networks.size(), 2u) << "home, then roaming";
}

TEST(ModemCommandTest, EchoRepeatsEachCommandExactlyAsReceived) {
    SimGateway sim({"--echo"});
    SerialClient client(sim.LinkPath());
    EXPECT_EQ(client.Exchange("AT\r\n\r\n"), "AT\r\n\r\n\r\nOK\r\n");
    EXPECT_EQ(client.Exchange("AT+CGMI\r\n"), "AT+CGMI\r\n\r\nHalvard Cellular\r\n\r\nOK\r\n");
    EXPECT_EQ(client.Exchange("at&usbinterface=22\r\n"), "at&usbinterface=22\r\n\r\nOK\r\n");
    const std::string reply = client.Exchange(kSettingsQuery);
    EXPECT_EQ(reply.substr(0, kSettingsQuery.size() + 2), kSettingsQuery + "\r\n");
}

TEST(ModemCommandTest, FaultsRefuseOrSilenceCommands) {
    SimGateway sim({"--error-on", "CGSN", "--silent-after", "3"});
    SerialClient client(sim.LinkPath());
    EXPECT_EQ(client.Exchange("AT+CGMI\r\n"), "\r\nHalvard Cellular\r\n\r\nOK\r\n");
    EXPECT_EQ(client.Exchange("AT+CGSN\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(client.Exchange("AT\r\n"), "\r\nOK\r\n");
    // Mute from the fourth command on, but still listening.
    EXPECT_EQ(client.Exchange("AT\r\n", 300), "");
    EXPECT_EQ(sim.ReceivedCommands().size(), 4u);
}

TEST(ModemCommandTest, CommandsSentBeforeTheReplyIsOutAreAnsweredInOrder) {
    SimGateway sim({"--time-scale", "1", "--reply-delay", "150"});
    SerialClient client(sim.LinkPath());
    client.Write("AT+CGMI\r\n");
    client.Write("AT+CSQ\r\n");
    EXPECT_EQ(client.ReadUntil("\r\n+CSQ: 17,99\r\n\r\nOK\r\n"),
              "\r\nHalvard Cellular\r\n\r\nOK\r\n\r\n+CSQ: 17,99\r\n\r\nOK\r\n");
    EXPECT_EQ(sim.ReceivedCommands(), (std::vector<std::string>{"AT+CGMI\r\n", "AT+CSQ\r\n"}));
}

TEST(ModemCommandTest, CommandArrivingWhileALargeReplyIsWrittenIsAnsweredAfterIt) {
    // Far more than the pseudo-terminal buffers: the gateway is still writing the first reply
    // when the next command comes in.
    SimGateway sim({"--oversize", "300000"});
    SerialClient client(sim.LinkPath());
    client.Write(Inline(kSettingsQuery));
    client.Write("AT+CGMI\r\n");
    const std::string both = client.ReadUntil("\r\nHalvard Cellular\r\n\r\nOK\r\n");
    const std::size_t firstEnd = both.find("</rci_reply>\r\n\r\nOK\r\n");
    ASSERT_NE(firstEnd, std::string::npos);
    const std::string xml = XmlPart(both.substr(0, firstEnd + 12));
    EXPECT_GE(xml.size(), 300000u);
    EXPECT_TRUE(IsWellFormed(xml));
    EXPECT_EQ(both.substr(firstEnd + 12), "\r\n\r\nOK\r\n\r\nHalvard Cellular\r\n\r\nOK\r\n");
}

// The walk's readings stay in the modem's range, move by small steps, and
// include no measurement and a roaming spell; one seed gives one walk.
TEST(ModemCommandTest, SignalWalkWandersTheSameWayForTheSameSeed) {
    SignalWalk walk(7, 10);
    SignalWalk again(7, 10);
    std::set<int> registrations;
    int unmeasured = 0;  // steps since the last measurement
    int unmeasuredSteps = 0;
    int level = walk.At(0).signal;
    ASSERT_EQ(again.At(0).signal, level);
    for (std::uint64_t step = 1; step <= 2000; ++step) {
        const SignalWalk::Reading reading = walk.At(step * 10);
        const SignalWalk::Reading repeated = again.At(step * 10);
        ASSERT_EQ(reading.signal, repeated.signal);
        ASSERT_EQ(reading.registration, repeated.registration);
        registrations.insert(reading.registration);
        if (reading.signal == 99) {
            ++unmeasured;
            ++unmeasuredSteps;
            continue;
        }
        ASSERT_GE(reading.signal, 5);
        ASSERT_LE(reading.signal, 28);
        EXPECT_LE(std::abs(reading.signal - level), 2 * (unmeasured + 1)) << step;
        level = reading.signal;
        unmeasured = 0;
    }
    EXPECT_EQ(registrations, (std::set<int>{1, 5}));
    EXPECT_GT(unmeasuredSteps, 0);

    // The simulator's answers follow the walk as time goes by.
    SimGateway sim({"--signal-walk", "--signal-seed", "7", "--time-scale", "0.002"});
    SerialClient client(sim.LinkPath());
    std::set<std::string> signals;
    // A step every 2 ms: three values come within a few exchanges on any machine.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (signals.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        const std::string reply = client.Exchange("AT+CSQ\r\n");
        EXPECT_THAT(reply, MatchesRegex("\r\n\\+CSQ: ([5-9]|1[0-9]|2[0-8]|99),99\r\n\r\nOK\r\n"));
        signals.insert(reply);
        EXPECT_THAT(client.Exchange("AT+CREG?\r\n"),
                    MatchesRegex("\r\n\\+CREG: 0,[15]\r\n\r\nOK\r\n"));
    }
    EXPECT_GE(signals.size(), 3u);
}
