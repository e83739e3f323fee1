#include <gtest/gtest.h>

#include "SerialClient.h"
#include "SimGateway.h"
#include "SimTestSupport.h"

namespace {

std::vector<std::string> Events(const SimGateway& sim) {
    std::vector<std::string> events;
    for (const SimRecord& record : sim.Records()) {
        if (record.kind == "event") {
            events.push_back(record.bytes);
        }
    }
    return events;
}

// The client sees the port go and come back at the same path.
void ExpectPortToComeBack(SerialClient& client, const SimGateway& sim) {
    EXPECT_TRUE(client.WaitForHangup(3000));
    EXPECT_TRUE(sim.WaitForLink(false, 3000));
    EXPECT_TRUE(sim.WaitForLink(true, 5000));
}

}  // namespace

TEST(RestartTest, RebootKeepsTheSettings) {
    SimGateway sim;
    std::string apn;
    {
        SerialClient client(sim.LinkPath());
        const std::string request =
            "<rci_request version='1.1'><set_setting><mobile_simple><apn>kept.example</apn>"
            "</mobile_simple></set_setting></rci_request>";
        ASSERT_NE(SendDocument(client, request), "");
        EXPECT_EQ(client.Exchange("at+CFUN=1\r\n"), "\r\nOK\r\n");
        ExpectPortToComeBack(client, sim);
    }
    SerialClient client(sim.LinkPath());
    ASSERT_TRUE(client.IsOpen());
    EXPECT_EQ(ElementText(XmlPart(client.Exchange(Inline(kSettingsQuery))), "apn"), "kept.example");
    EXPECT_EQ(Events(sim), (std::vector<std::string>{"down reboot", "up"}));
}

TEST(RestartTest, FirmwareInstallRestartsWithANewVersion) {
    SimGateway sim;
    std::string before;
    {
        SerialClient client(sim.LinkPath());
        EXPECT_EQ(client.Exchange("at&usbinterface=110\r\n"), "\r\nERROR\r\n");
        before = ElementText(XmlPart(client.Exchange(Inline(kStateQuery))), "firmwaresoftrevstr");
        ASSERT_TRUE(UploadFile(client, "/fw/updatefw.dwl", std::string(5000, 'F')));
        EXPECT_EQ(client.Exchange("at&usbinterface=110\r\n"), "\r\nOK\r\n");
        ExpectPortToComeBack(client, sim);
    }
    SerialClient client(sim.LinkPath());
    EXPECT_EQ(client.Exchange("at\r\n"), "\r\nOK\r\n");
    const std::string after =
        ElementText(XmlPart(client.Exchange(Inline(kStateQuery))), "firmwaresoftrevstr");
    EXPECT_NE(after, "");
    EXPECT_NE(after, before);
    EXPECT_EQ(Events(sim), (std::vector<std::string>{"down install", "up"}));
}

TEST(RestartTest, PortVanishesInTheMiddleOfACommand) {
    SimGateway sim({"--vanish-on", "AT+CGSN", "--vanish-for", "25000"});
    {
        SerialClient client(sim.LinkPath());
        client.Write("AT+CGSN\r\n");
        ExpectPortToComeBack(client, sim);
    }
    SerialClient client(sim.LinkPath());
    EXPECT_EQ(client.Exchange("AT+CGMI\r\n"), "\r\nHalvard Cellular\r\n\r\nOK\r\n");
    EXPECT_EQ(Events(sim), (std::vector<std::string>{"down vanish", "up"}));
}

TEST(RestartTest, PortVanishesInTheMiddleOfAnUploadAndForgetsIt) {
    SimGateway sim({"--vanish-after-bytes", "1500", "--vanish-for", "25000"});
    {
        SerialClient client(sim.LinkPath());
        EXPECT_FALSE(UploadFile(client, "/WEB/python/lost.py", std::string(4000, 'x')));
        ExpectPortToComeBack(client, sim);
    }
    SerialClient client(sim.LinkPath());
    EXPECT_EQ(client.Exchange("at&usbinterface=41,\"/WEB/python/lost.py\"\r\n"), "\r\nERROR\r\n");
    EXPECT_EQ(client.Exchange("AT&USBINTERFACE=18,4000\r\n"), "\r\nERROR\r\n");
}

// Pulled on a timer, the port goes and comes back at the same path, again and
// again, and answers in between.
TEST(RestartTest, UnplugEveryTakesThePortAwayAndBack) {
    SimGateway sim({"--unplug-every", "25", "--vanish-for", "5000"});
    for (int cycle = 0; cycle < 2; ++cycle) {
        EXPECT_TRUE(sim.WaitForLink(false, 2000));
        EXPECT_TRUE(sim.WaitForLink(true, 2000));
    }
    SerialClient client(sim.LinkPath());
    EXPECT_EQ(client.Exchange("AT\r\n"), "\r\nOK\r\n");
    const std::vector<std::string> events = Events(sim);
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + 4),
              (std::vector<std::string>{"down unplug", "up", "down unplug", "up"}));
}
