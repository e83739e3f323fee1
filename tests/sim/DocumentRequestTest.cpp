#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SerialClient.h"
#include "SimGateway.h"
#include "SimTestSupport.h"

namespace {

const std::string kListing =
    "<rci_request version='1.1'><do_command target='file_system'><ls dir='/WEB/python'/>"
    "</do_command></rci_request>";

void Pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

}  // namespace

TEST(DocumentRequestTest, DocumentSplitAcrossWritesIsOneRequest) {
    SimGateway sim;
    SerialClient client(sim.LinkPath());
    ASSERT_EQ(client.Exchange("at&usbinterface=22\r\n"), "\r\nOK\r\n");
    // Cut inside a tag, inside a quoted value and inside the closing tag of the root.
    const std::size_t cuts[] = {9, 70, kListing.size() - 5, kListing.size()};
    std::size_t sent = 0;
    for (std::size_t cut : cuts) {
        client.Write(kListing.substr(sent, cut - sent));
        sent = cut;
        if (sent < kListing.size()) {
            Pause();
            EXPECT_EQ(client.ReadFor(20), "") << "answered after " << sent << " bytes";
        }
    }
    const std::string listing = XmlPart(client.ReadReply());
    EXPECT_TRUE(IsWellFormed(listing));
    EXPECT_NE(listing.find("<ls dir=\"/WEB/python\">"), std::string::npos);
    EXPECT_NE(listing.find("<file name=\"tank_level_logger.py\" size=\"483\"/>"),
              std::string::npos);
    EXPECT_EQ(sim.ReceivedCommands(),
              (std::vector<std::string>{"at&usbinterface=22\r\n", kListing}));
}

TEST(DocumentRequestTest, DocumentEndIsFoundWithoutALineEnd) {
    SimGateway sim;
    SerialClient client(sim.LinkPath());
    // A self-closing root ends the document; markup that looks like a tag inside a comment or
    // an attribute does not; a command right behind the document is a command of its own.
    const std::string selfClosing = "<rci_request version='1.1'/>";
    EXPECT_EQ(SendDocument(client, selfClosing),
              "\r\n<rci_reply version=\"1.1\">\n</rci_reply>\r\n\r\nOK\r\n");
    const std::string tricky =
        "<rci_request version='1.1'><!-- <query_state> --><query_state note='a>b'/></rci_request>";
    ASSERT_EQ(client.Exchange("at&usbinterface=22\r\n"), "\r\nOK\r\n");
    client.Write(tricky + "AT+CSQ\r\n");
    const std::string replies = client.ReadUntil("\r\n+CSQ: 17,99\r\n\r\nOK\r\n");
    EXPECT_NE(replies.find("<model>Linkhold R7</model>"), std::string::npos);
    EXPECT_EQ(sim.ReceivedCommands().back(), "AT+CSQ\r\n");
    // A command where the document was announced is taken as a command.
    ASSERT_EQ(client.Exchange("at&usbinterface=22\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(client.Exchange("AT\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(client.Exchange(Inline("<rci_request><query_state>")), "\r\nERROR\r\n");
}

TEST(DocumentRequestTest, SettingsSentBackUnchangedAreKeptUnchanged) {
    SimGateway sim;
    SerialClient client(sim.LinkPath());
    const std::string before = XmlPart(client.Exchange(Inline(kSettingsQuery)));
    ASSERT_TRUE(IsWellFormed(before));
    for (const char* group :
         {"<mobile_simple>", "<mgmtconnection index=\"1\">", "<mgmtconnection index=\"3\">",
          "<serial>", "<telnet_server>", "<tcp_server>", "<ssh_server>", "<securesocket>",
          "<udp_server>", "<python>"}) {
        EXPECT_NE(before.find(group), std::string::npos) << group;
    }
    const std::string applied = XmlPart(SendDocument(client, AsSetRequest(before)));
    EXPECT_TRUE(IsWellFormed(applied));
    EXPECT_EQ(applied.find("<error"), std::string::npos) << applied;
    EXPECT_EQ(XmlPart(client.Exchange(Inline(kSettingsQuery))), before);
}

TEST(DocumentRequestTest, SetSettingStoresNormalisedValuesAndRefusesBadOnes) {
    SimGateway sim;
    SerialClient client(sim.LinkPath());
    const std::string request =
        "<rci_request version='1.1'><set_setting>"
        "<mobile_simple><apn>m2m.example</apn><mobile_gsm_band>99</mobile_gsm_band></mobile_simple>"
        "<mgmtconnection index='3'><ServerArray "
        "index='1'><serverAddress>lka2.example</serverAddress>"
        "</ServerArray></mgmtconnection>"
        "<serial><parity>Even</parity><baud>12345</baud></serial>"
        "<telnet_server><port>telnet</port><state>OFF</state></telnet_server>"
        "<udp_server><port>70000</port></udp_server>"
        "<no_such_group><x>1</x></no_such_group>"
        "</set_setting></rci_request>";
    const std::string applied = XmlPart(SendDocument(client, request));
    EXPECT_NE(applied.find("<error field=\"port\">"), std::string::npos);
    EXPECT_NE(applied.find("<no_such_group>"), std::string::npos);

    const std::string after = XmlPart(client.Exchange(Inline(kSettingsQuery)));
    EXPECT_EQ(ElementText(after, "apn"), "m2m.example");
    EXPECT_EQ(ElementText(after, "mobile_gsm_band"), "9");
    EXPECT_EQ(ElementText(after, "parity"), "even");
    EXPECT_EQ(ElementText(after, "baud"), "115200");
    EXPECT_EQ(ElementText(after, "port"), "2001");
    EXPECT_EQ(ElementText(after, "state"), "off");
    EXPECT_NE(after.find("<port>2201</port>"), std::string::npos);
    // Only the server-initiated connection (index 3) changed its server.
    EXPECT_NE(after.find("en://devices.tarvel.example"), std::string::npos);
    EXPECT_NE(after.find("lka2.example"), std::string::npos);
    EXPECT_EQ(after.find("no_such_group"), std::string::npos);

    EXPECT_EQ(
        client.Exchange(Inline("<rci_request version='1.1'><set_factory_default/></rci_request>")),
        "\r\n<rci_reply version=\"1.1\">\n  <set_factory_default/>\n</rci_reply>\r\n\r\nOK\r\n");
    EXPECT_EQ(ElementText(XmlPart(client.Exchange(Inline(kSettingsQuery))), "apn"),
              "internet.linkhold.example");
}

TEST(DocumentRequestTest, StateReplyCarriesABareAmpersand) {
    SimGateway sim;
    SerialClient client(sim.LinkPath());
    std::string state = XmlPart(client.Exchange(Inline(kStateQuery)));
    EXPECT_NE(state.find("AT&T"), std::string::npos);
    EXPECT_FALSE(IsWellFormed(state));
    std::erase(state, '&');
    EXPECT_TRUE(IsWellFormed(state));
    for (const char* field : {"product", "model", "firmware", "firmwaresoftrevstr", "iccid",
                              "ip_address", "gateway_addr", "ext_pan_id", "firmware_version"}) {
        EXPECT_NE(ElementText(state, field), "") << field;
    }
}

TEST(DocumentRequestTest, RadioSettingsAreQueriedAndSetThroughTheRadioTarget) {
    SimGateway sim;
    SerialClient client(sim.LinkPath());
    const std::string before = XmlPart(client.Exchange(Inline(kRadioQuery)));
    ASSERT_NE(before.find("<do_command target=\"zigbee\">"), std::string::npos);
    std::string request = AsSetRequest(before);
    const auto replace = [&request](const std::string& field, const std::string& value) {
        const std::string open = "<" + field + ">";
        const std::size_t begin = request.find(open) + open.size();
        request.replace(begin, request.find('<', begin) - begin, value);
    };
    replace("ext_pan_id", "0x0");
    replace("scan_channels", "FFFF");
    replace("join_time", "256");
    replace("node_id", "north mast");
    SendDocument(client, request);
    const std::string after = XmlPart(client.Exchange(Inline(kRadioQuery)));
    EXPECT_EQ(ElementText(after, "ext_pan_id"), "0x0000000000000000");
    EXPECT_EQ(ElementText(after, "scan_channels"), "0xffff");
    EXPECT_EQ(ElementText(after, "join_time"), "255");
    EXPECT_EQ(ElementText(after, "node_id"), "north mast");

    const std::string nodes = XmlPart(client.Exchange(
        Inline("<rci_request version='1.1'><do_command target=\"zigbee\"><discover /></do_command>"
               "</rci_request>")));
    EXPECT_TRUE(IsWellFormed(nodes));
    EXPECT_EQ(ElementText(nodes, "type"), "0");
    for (const char* field : {"node_id", "ext_addr", "net_addr", "device_type"}) {
        EXPECT_NE(ElementText(nodes, field), "") << field;
    }
}

TEST(DocumentRequestTest, GatewayWithoutRadioSaysSo) {
    SimGateway sim({"--no-radio"});
    SerialClient client(sim.LinkPath());
    const std::string reply = XmlPart(client.Exchange(Inline(kRadioQuery)));
    EXPECT_NE(reply.find("Currently not configured or supported"), std::string::npos);
    EXPECT_EQ(XmlPart(client.Exchange(Inline(kStateQuery))).find("zigbee_state"),
              std::string::npos);
}

TEST(DocumentRequestTest, BrokenRepliesOnRequest) {
    SimGateway sim({"--bad-xml", "query_state"});
    SerialClient client(sim.LinkPath());
    std::string state = XmlPart(client.Exchange(Inline(kStateQuery)));
    std::erase(state, '&');
    EXPECT_FALSE(IsWellFormed(state));
    EXPECT_TRUE(IsWellFormed(XmlPart(client.Exchange(Inline(kSettingsQuery)))));
}
