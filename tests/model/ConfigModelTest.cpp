#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "model/ConfigApply.h"
#include "model/ConfigModel.h"
#include "model/ElementSearch.h"
#include "model/SettingBinding.h"
#include "model/XmlDocument.h"
#include "model/XmlString.h"

namespace {

const std::string kSettings =
    "<rci_reply version=\"1.1\">\n"
    " <query_setting>\n"
    "  <mobile_simple><apn>internet</apn></mobile_simple>\n"
    "  <serial><baud>115200</baud></serial>\n"
    " </query_setting>\n"
    "</rci_reply>";

std::string Name(xmlNodePtr node) {
    return node ? reinterpret_cast<const char*>(node->name) : "";
}

// The first element of a group list (lists start with whitespace text).
xmlNodePtr FirstGroup(xmlNodePtr groups) {
    while (groups != nullptr && groups->type != XML_ELEMENT_NODE) {
        groups = groups->next;
    }
    return groups;
}

TEST(ConfigModelTest, SettingsReplyBecomesSetSettingRequest) {
    ConfigModel model;
    ASSERT_TRUE(model.LoadSettingsReply("\r\nreply follows:\r\n" + kSettings + "\r\nOK\r\n"));
    ASSERT_NE(model.SettingsDocument(), nullptr);
    EXPECT_EQ(SerializeForRequest(model.SettingsDocument()),
              "<rci_request version='1.1'>\n"
              " <set_setting>\n"
              "  <mobile_simple><apn>internet</apn></mobile_simple>\n"
              "  <serial><baud>115200</baud></serial>\n"
              " </set_setting>\n"
              "</rci_request>");
    // Blank text is kept, so the list starts at the whitespace before the group.
    ASSERT_NE(model.SettingsGroups(), nullptr);
    EXPECT_EQ(model.SettingsGroups()->type, XML_TEXT_NODE);
    EXPECT_EQ(Name(FirstGroup(model.SettingsGroups())), "mobile_simple");
}

TEST(ConfigModelTest, QuerySettingInCapitalsIsFound) {
    ConfigModel model;
    model.LoadSettingsReply("<rci_reply><QUERY_SETTING><serial/></QUERY_SETTING></rci_reply>");
    EXPECT_EQ(Name(model.SettingsGroups()), "serial");
    EXPECT_EQ(Name(model.SettingsGroups()->parent), "set_setting");
}

TEST(ConfigModelTest, EmptyQuerySettingLeavesNoGroups) {
    ConfigModel model;
    model.LoadSettingsReply(kSettings);
    model.LoadSettingsReply("<rci_reply><query_setting></query_setting></rci_reply>");
    EXPECT_NE(model.SettingsDocument(), nullptr);
    EXPECT_EQ(model.SettingsGroups(), nullptr);
}

// The group list keeps pointing into the earlier tree, which must stay alive
// (run under ASan) until a later reply brings new groups.
TEST(ConfigModelTest, UnreadableReplyKeepsEarlierGroupsUsable) {
    ConfigModel model;
    model.LoadSettingsReply(kSettings);
    for (const std::string reply : {"", "ERROR", "<rci_reply><query_setting><serial>", "> junk <",
                                    "<rci_reply version='1.1'/>"}) {
        SCOPED_TRACE(reply);
        EXPECT_TRUE(model.LoadSettingsReply(reply));
        EXPECT_EQ(Name(FirstGroup(model.SettingsGroups())), "mobile_simple");
    }
    EXPECT_TRUE(model.LoadStateReply("garbage"));
    EXPECT_EQ(model.StateDocument(), nullptr);

    model.LoadSettingsReply("<r><query_setting><python/></query_setting></r>");
    EXPECT_EQ(Name(model.SettingsGroups()), "python");
    model.Reset();
    EXPECT_EQ(model.SettingsDocument(), nullptr);
    EXPECT_EQ(model.SettingsGroups(), nullptr);
}

TEST(ConfigModelTest, StateReplyKeepsItsNames) {
    ConfigModel model;
    model.LoadStateReply(
        "<rci_reply><!-- c --><query_state><device_info/></query_state></rci_reply>");
    EXPECT_EQ(Name(xmlDocGetRootElement(model.StateDocument())), "rci_reply");
    EXPECT_EQ(Name(model.StateGroups()), "device_info");
    EXPECT_EQ(Name(model.StateGroups()->parent), "query_state");
}

TEST(ConfigModelTest, RadioReplies) {
    ConfigModel model;
    const std::string radio =
        "<rci_reply><do_command target='zigbee'><query_setting><radio/></query_setting>"
        "</do_command></rci_reply>";
    EXPECT_TRUE(model.LoadRadioSettingsReply(radio));
    EXPECT_EQ(Name(model.RadioGroups()), "radio");
    EXPECT_EQ(SerializeForRequest(model.RadioSettingsDocument()),
              "<rci_request><do_command target='zigbee'><set_setting><radio/></set_setting>"
              "</do_command></rci_request>");

    EXPECT_FALSE(model.LoadRadioSettingsReply("no xml at all"));
    EXPECT_EQ(model.RadioSettingsDocument(), nullptr);
    EXPECT_TRUE(model.RadioPresent());

    EXPECT_TRUE(model.LoadRadioSettingsReply(radio));
    // Searched only between the first '<' and the last '>'.
    EXPECT_TRUE(model.LoadRadioSettingsReply(radio + "Currently not configured or supported"));
    EXPECT_TRUE(model.RadioPresent());
    EXPECT_FALSE(model.LoadRadioSettingsReply(
        "<rci_reply><error>Currently not configured or supported</error></rci_reply>"));
    EXPECT_FALSE(model.RadioPresent());
    // The answer that says there is no radio changes no tree.
    EXPECT_NE(model.RadioSettingsDocument(), nullptr);
    EXPECT_EQ(Name(model.RadioGroups()), "radio");

    model.Reset();
    EXPECT_TRUE(model.RadioPresent());
}

// A few hundred bytes that expand to gigabytes once the content is read.
TEST(ConfigModelTest, DocumentsWithADtdAreRefused) {
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"lol\">";
    for (char level = 'b'; level <= 'k'; ++level) {
        std::string references;
        for (int i = 0; i < 10; ++i) {
            references += std::string("&") + char(level - 1) + ";";
        }
        laughs += std::string("<!ENTITY ") + level + " \"" + references + "\">";
    }
    laughs += "]><r><query_setting><a>&k;</a></query_setting><query_state/></r>";
    ConfigModel model;
    model.LoadSettingsReply(laughs);
    model.LoadStateReply(laughs);
    EXPECT_EQ(model.SettingsDocument(), nullptr);
    EXPECT_EQ(model.StateDocument(), nullptr);
    EXPECT_EQ(ParseXmlText("<!DOCTYPE r SYSTEM 'http://example.com/r.dtd'><r/>", "x"), nullptr);
}

TEST(ConfigModelTest, OversizedInputIsRefused) {
    std::string big = "<r><query_setting><a>";
    big.append(kMaxXmlInputBytes, 'x');
    big += "</a></query_setting></r>";
    ConfigModel model;
    model.LoadSettingsReply(big);
    EXPECT_EQ(model.SettingsDocument(), nullptr);
}

// The dashboard's terminal is no place for the parser's complaints about a reply.
TEST(ConfigModelTest, BytesWrongForTheDeclaredEncodingLoadNothingSilently) {
    ConfigModel model;
    testing::internal::CaptureStderr();
    model.LoadSettingsReply(
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r><query_setting>\x82\xff"
        "</query_setting></r>");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(model.SettingsDocument(), nullptr);
}

TEST(ConfigModelTest, ParsesLocalFilesWithTheSameRules) {
    const std::string path = testing::TempDir() + "model_backup.xml";
    std::ofstream(path) << kSettings;
    const XmlDocument document = ParseXmlFile(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(Name(xmlDocGetRootElement(document.get())), "rci_reply");

    std::ofstream(path) << "<!DOCTYPE r [<!ENTITY a 'b'>]><r>&a;</r>";
    EXPECT_EQ(ParseXmlFile(path), nullptr);
    std::remove(path.c_str());
    EXPECT_EQ(ParseXmlFile(path), nullptr);
}

// Each way a gateway reply can be unreadable comes back as unread, naming the
// document and carrying libxml2's own complaint with its line.
TEST(ConfigModelTest, UnreadableRepliesSayWhy) {
    std::string deep;
    for (int i = 0; i < 300; ++i) {
        deep += "<d>";
    }
    constexpr char kBinary[] = "<r><query_setting>\x01\xff\x00</query_setting></r>";
    const struct {
        std::string reply;
        std::string reason;
    } kCases[] = {
        {"<rci_reply>\n<query_setting>\n</mobile>", "Opening and ending tag mismatch"},
        {"<rci_reply>\n<query_setting><a>x</a>\n", "line 2"},
        {"<!DOCTYPE r [<!ENTITY e 'x'>]><r><query_setting/></r>", "DTD"},
        {"<r><query_setting>" + deep + "</query_setting></r>", "Excessive depth"},
        {std::string(kBinary, sizeof kBinary - 1), "Char"},
        {"at&usbinterface=20,\"<rci_request/>\"\r\n<rci_reply><query_setting/></rci_reply>",
         "Extra content at the end of the document (line 1)"},
        {"ERROR", "no XML"},
        // A late answer to another query parses, but is not the settings.
        {"<rci_reply><query_state><device_info/></query_state></rci_reply>", "query_setting"},
    };
    ConfigModel model;
    model.LoadSettingsReply(kSettings);
    for (const auto& [reply, reason] : kCases) {
        SCOPED_TRACE(reply);
        const ReplyLoad load = model.LoadSettingsReply(reply);
        EXPECT_TRUE(load);
        ASSERT_TRUE(load.unread);
        EXPECT_EQ(load.unread->document, "device settings");
        EXPECT_NE(load.unread->reason.find(reason), std::string::npos) << load.unread->reason;
        EXPECT_EQ(load.unread->reason.find('\n'), std::string::npos);
        EXPECT_EQ(Name(FirstGroup(model.SettingsGroups())), "mobile_simple");
    }
    EXPECT_EQ(model.LoadStateReply("<r>").unread->document, "device state");
    model.LoadStateReply("<r><query_state><a/></query_state></r>");
    EXPECT_TRUE(model.LoadStateReply(kSettings).unread);
    EXPECT_TRUE(model.LoadRadioSettingsReply(kSettings).unread);
    EXPECT_EQ(Name(model.StateGroups()), "a");
    const ReplyLoad radio = model.LoadRadioSettingsReply("<r>");
    EXPECT_FALSE(radio);
    EXPECT_EQ(radio.unread->document, "radio settings");
    EXPECT_FALSE(model.LoadSettingsReply(kSettings).unread);
    EXPECT_FALSE(
        model.LoadRadioSettingsReply("<r>Currently not configured or supported</r>").unread);
}

// One accented byte stored on a gateway that writes ISO-8859-1 without saying
// so must not cost the whole tree, and goes back as the same byte with a
// declaration that tells the gateway how to read it.
TEST(ConfigModelTest, Latin1ReplyIsReadAndSentBackInTheSameBytes) {
    ConfigModel model;
    const ReplyLoad load = model.LoadSettingsReply(
        "<rci_reply><query_setting><g><v>caf\xe9</v><w/></g></query_setting></rci_reply>");
    EXPECT_FALSE(load.unread);
    std::string value;
    std::string edited = "na\xc3\xafve";  // UTF-8, as the pages hold text
    const BindingTable table = {{"g/v", &value, nullptr, 0, nullptr, kTextSetting, {}, {}},
                                {"g/w", &edited, nullptr, 0, nullptr, kTextSetting, {}, {}}};
    ReadSetting({}, {table[0]}, model.SettingsGroups());
    EXPECT_EQ(value, "caf\xc3\xa9");
    WriteSetting({table[1]}, model.SettingsGroups());
    EXPECT_EQ(SerializeForRequest(model.SettingsDocument()),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
              "<rci_request><set_setting><g><v>caf\xe9</v><w>na\xefve</w></g></set_setting>"
              "</rci_request>");

    // A reply read as UTF-8 goes back without a declaration, so the serialiser
    // writes what is not ASCII as character references.
    model.LoadSettingsReply(
        "<?xml version=\"1.0\"?>\n<r><query_setting><v>caf\xc3\xa9</v></query_setting></r>");
    EXPECT_EQ(SerializeForRequest(model.SettingsDocument()),
              "<rci_request><set_setting><v>caf&#xE9;</v></set_setting></rci_request>");

    // A reply that says it is UTF-8 is taken at its word.
    EXPECT_TRUE(model
                    .LoadSettingsReply("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                       "<r><query_setting><v>caf\xe9</v></query_setting></r>")
                    .unread);
}

TEST(ElementSearchTest, SkipsOtherNodesAndTakesTheFirstMatch) {
    const XmlDocument document = ParseXmlText(
        "<r> text <!--do_command--><?do_command x?><Do_Command n='1'/><do_command n='2'/>"
        "<other/></r>",
        "t");
    xmlNodePtr root = xmlDocGetRootElement(document.get());
    xmlNodePtr first = FindChildElement(root, XML_ELEMENT_NODE, "do_command");
    std::string n;
    ASSERT_TRUE(ReadAttribute(first, "n", n));
    EXPECT_EQ(n, "1");
    xmlNodePtr second = FindNextElement(first, XML_ELEMENT_NODE, "DO_COMMAND");
    ASSERT_TRUE(ReadAttribute(second, "n", n));
    EXPECT_EQ(n, "2");
    EXPECT_EQ(FindNextElement(second, XML_ELEMENT_NODE, "do_command"), nullptr);
    EXPECT_EQ(FindChildElement(nullptr, XML_ELEMENT_NODE, "r"), nullptr);
    EXPECT_EQ(Name(FindChildElement(root, XML_COMMENT_NODE, "comment")), "comment");
}

}  // namespace
