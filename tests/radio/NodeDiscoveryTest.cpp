#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/NodeDiscovery.h"
#include "model/NodeSettingsFile.h"
#include "tests/link/TempDir.h"
#include "tests/ui/RecordingRunner.h"

namespace {

std::string Device(const std::string& ext, const std::string& fields) {
    return "<device><node_id>n-" + ext + "</node_id><ext_addr>" + ext +
           "</ext_addr><net_addr>0x1</net_addr>" + fields + "</device>";
}

std::string Reply(const std::string& devices) {
    return "at&usbinterface=20,\"...\"\r\n<rci_reply version=\"1.1\">\n  <do_command "
           "target=\"zigbee\">\n    <DISCOVER>\n" +
           devices + "\n    </DISCOVER>\n  </do_command>\n</rci_reply>\r\nOK\r\n";
}

std::string Typed(const std::string& type, const std::string& deviceType) {
    return "<type>" + type + "</type><device_type>" + deviceType + "</device_type>";
}

}  // namespace

TEST(NodeDiscoveryTest, DuplicateExtendedAddressInOtherCaseIsListedOnce) {
    const auto nodes = ParseDiscoveryReply(Reply(Device("00:13:a2:00:40:5e:11:0a!", "") + "\n" +
                                                 Device("00:13:A2:00:40:5E:11:0A!", "") + "\n" +
                                                 Device("00:13:a2:00:40:5e:2a:91!", "")));
    ASSERT_EQ(nodes.size(), 2u) << "blank text between records is no record";
    EXPECT_EQ(nodes[0].extendedAddress, "00:13:a2:00:40:5e:11:0a!");
    EXPECT_EQ(nodes[0].nodeId, "n-00:13:a2:00:40:5e:11:0a!");
    EXPECT_EQ(nodes[0].networkAddress, "0x1");
    EXPECT_EQ(nodes[1].extendedAddress, "00:13:a2:00:40:5e:2a:91!");
}

TEST(NodeDiscoveryTest, TypeAndProductNames) {
    const auto nodes = ParseDiscoveryReply(
        Reply(Device("a", Typed("0", "0x30000")) + Device("b", Typed("1", "0x30000")) +
              Device("c", Typed("2", "0x30201")) + Device("d", Typed("7", "0x30099")) +
              Device("e", "") + Device("f", Typed("0x1", " 3000b"))));
    ASSERT_EQ(nodes.size(), 6u);
    EXPECT_EQ(nodes[0].nodeType, "Coordinator");
    EXPECT_EQ(nodes[0].productType, "Gateway");
    EXPECT_EQ(nodes[1].nodeType, "Router");
    EXPECT_EQ(nodes[1].productType, "Unspecified");
    EXPECT_EQ(nodes[2].nodeType, "End Node");
    EXPECT_EQ(nodes[2].productType, ProductName("0x201"));
    EXPECT_EQ(nodes[2].productType, "Energy meter");
    EXPECT_EQ(nodes[3].nodeType, "7");
    EXPECT_EQ(nodes[3].productType, "0x30099");
    EXPECT_EQ(nodes[4].nodeType, "Coordinator") << "missing type and device_type count as 0";
    EXPECT_EQ(nodes[4].productType, "Gateway");
    EXPECT_EQ(nodes[5].nodeType, "Router");
    EXPECT_EQ(nodes[5].productType, "Temperature and humidity sensor");
}

TEST(NodeDiscoveryTest, ProductTableHasSeventeenNamedProducts) {
    std::set<std::string> names;
    for (unsigned key = 1; key <= 0x10; ++key) {
        char text[8];
        std::snprintf(text, sizeof text, "0x%x", key);
        names.insert(ProductName(text));
        EXPECT_NE(ProductName(text), text);
    }
    names.insert(ProductName("201"));
    EXPECT_EQ(names.size(), 17u) << "every product has its own name";
    EXPECT_EQ(ProductName("0"), "Unspecified");
    EXPECT_EQ(ProductName("0x11"), "0x11");
}

TEST(NodeDiscoveryTest, UnreadableRepliesGiveNoNodes) {
    EXPECT_TRUE(ParseDiscoveryReply("").empty());
    EXPECT_TRUE(ParseDiscoveryReply("ERROR").empty());
    EXPECT_TRUE(ParseDiscoveryReply("<rci_reply><do_command><discover>").empty());
    EXPECT_TRUE(
        ParseDiscoveryReply("<rci_reply><discover><device/></discover></rci_reply>").empty());
    EXPECT_TRUE(ParseDiscoveryReply(Reply("")).empty());
}

TEST(NodeDiscoveryTest, ScriptIsOneDiscoverCommandReadWhateverItsStatus) {
    RecordingRunner runner;
    runner.answer = [](JobList& jobs) {
        jobs[0].SetResponse(Reply(Device("a", "")));
        jobs[0].SetStatus(CommandJob::kFailed);
    };
    EXPECT_EQ(DiscoverNodes(runner)->size(), 1u);
    ASSERT_EQ(runner.scripts.size(), 1u);
    ASSERT_EQ(runner.scripts[0].size(), 1u);
    const CommandJob& job = runner.scripts[0][0];
    EXPECT_EQ(job.GetCommand(),
              "at&usbinterface=20,\"<rci_request version='1.1'><do_command target=\"zigbee\">"
              "<discover /></do_command></rci_request>\"\r\n");
    EXPECT_EQ(job.GetText(), "");
    EXPECT_EQ(job.GetTimeout(), 22000);
}

TEST(NodeSettingsFileTest, ReadsTheRadioSettingsOfTheFile) {
    TempDir dir;
    const std::string path = (dir.Path() / "zigbeed.xml").string();
    std::ofstream(path) << "<rci_reply><do_command><query_setting><radio>"
                           "<FIRMWARE_VERSION>2164</FIRMWARE_VERSION><ext_pan_id>0x1</ext_pan_id>"
                           "<node_id>pump</node_id><discover_timeout>60</discover_timeout>"
                           "<scan_channels>0x7fff</scan_channels><scan_duration>3</scan_duration>"
                           "<join_time>64</join_time><power_level>3</power_level>"
                           "<device_type>0x30000</device_type><other>x</other>"
                           "</radio></query_setting></do_command></rci_reply>";
    const NodeSettings settings = ReadNodeSettingsFile(path);
    EXPECT_EQ(settings.firmwareVersion, "2164");
    EXPECT_EQ(settings.extendedPanId, "0x1");
    EXPECT_EQ(settings.nodeId, "pump");
    EXPECT_EQ(settings.discoverTimeout, "60");
    EXPECT_EQ(settings.scanChannels, "0x7fff");
    EXPECT_EQ(settings.scanDuration, "3");
    EXPECT_EQ(settings.joinTime, "64");
    EXPECT_EQ(settings.powerLevelIndex, 3);
    EXPECT_EQ(settings.productType, "Unspecified") << "no Gateway rule here";

    for (const auto& [stored, index] : std::vector<std::pair<std::string, int>>{
             {"9", -1}, {"02", 2}, {" 3", 3}, {"3x", 3}, {"x", 0}, {"", 0}, {"99999999999", -1}}) {
        std::ofstream(path) << "<r><do_command><query_setting><radio><power_level>" << stored
                            << "</power_level></radio></query_setting></do_command></r>";
        EXPECT_EQ(ReadNodeSettingsFile(path).powerLevelIndex, index) << stored;
    }
    EXPECT_EQ(ReadNodeSettingsFile((dir.Path() / "missing.xml").string()).powerLevelIndex, -1);
}
