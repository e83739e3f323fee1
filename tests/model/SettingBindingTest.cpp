#include <gtest/gtest.h>

#include <set>
#include <string>

#include "model/ConfigApply.h"
#include "model/ConfigModel.h"
#include "model/ElementSearch.h"
#include "model/SettingBinding.h"
#include "model/XmlDocument.h"

namespace {

const char* const kSettings =
    "<rci_reply version='1.1'><query_setting>\n"
    "  <mobile_simple>\n"
    "    <apn>internet</apn><enabled>On</enabled><idle>300s</idle><pin>abc</pin>\n"
    "    <user/><mode>maybe</mode>\n"
    "  </mobile_simple>\n"
    "  <mgmtconnection index='1'><serverAddress>one</serverAddress></mgmtconnection>\n"
    "  <mgmtconnection index='3'><connectionEnabled>off</connectionEnabled>\n"
    "    <ServerArray index='1'><serverAddress>three</serverAddress></ServerArray>\n"
    "    <ServerArray index='2'/>\n"
    "  </mgmtconnection>\n"
    "  <serial><baud>115200<parity>none</parity></baud></serial>\n"
    "</query_setting></rci_reply>";

// A page's variables and the controls ReadSetting revealed.
struct Page {
    std::string text = "untouched";
    int number = -7;
    std::set<int> shown;

    RevealControl Reveal() {
        return [this](int control) { shown.insert(control); };
    }
    SettingBinding TextRow(std::string path, int control = 1) {
        return {std::move(path), &text, nullptr, control, nullptr, kTextSetting, {}, {}};
    }
    SettingBinding NumberRow(std::string path, unsigned kind, int control = 1) {
        return {std::move(path), nullptr, &number, control, nullptr, kind, {}, {}};
    }
};

class SettingBindingTest : public testing::Test {
protected:
    void SetUp() override { model.LoadSettingsReply(kSettings); }

    Page ReadText(std::string path) {
        Page page;
        ReadSetting(page.Reveal(), {page.TextRow(std::move(path))}, model.SettingsGroups());
        return page;
    }
    Page ReadNumber(std::string path, unsigned kind) {
        Page page;
        ReadSetting(page.Reveal(), {page.NumberRow(std::move(path), kind)}, model.SettingsGroups());
        return page;
    }
    void WriteText(std::string path, std::string value) {
        Page page;
        page.text = std::move(value);
        WriteSetting({page.TextRow(std::move(path))}, model.SettingsGroups());
    }
    void WriteNumber(std::string path, unsigned kind, int value) {
        Page page;
        page.number = value;
        WriteSetting({page.NumberRow(std::move(path), kind)}, model.SettingsGroups());
    }

    ConfigModel model;
};

TEST_F(SettingBindingTest, QualifiersSelectByIndex) {
    EXPECT_EQ(ReadText("mgmtconnection&index=3/connectionEnabled").text, "off");
    // The qualifier's name is not looked at.
    EXPECT_EQ(ReadText("mgmtconnection&foo=3/connectionEnabled").text, "off");
    EXPECT_EQ(ReadText("mgmtconnection&index=3/ServerArray&index=1/serverAddress").text, "three");
    EXPECT_EQ(ReadText("mgmtconnection&index=1/serverAddress").text, "one");
    // Plain text comparison: 03 is not 3.
    EXPECT_TRUE(ReadText("mgmtconnection&index=03/connectionEnabled").shown.empty());
    // An empty qualifier name is no qualifier: the first mgmtconnection is taken.
    EXPECT_EQ(ReadText("mgmtconnection&=3/serverAddress").text, "one");
}

TEST_F(SettingBindingTest, FirstMatchIsTakenWithoutBacktracking) {
    EXPECT_EQ(ReadText("mgmtconnection/serverAddress").text, "one");
    const Page missing = ReadText("mgmtconnection/connectionEnabled");
    EXPECT_EQ(missing.text, "untouched");
    EXPECT_TRUE(missing.shown.empty());
}

TEST_F(SettingBindingTest, NamesIgnoreCase) {
    EXPECT_EQ(ReadText("MOBILE_SIMPLE/APN").text, "internet");
}

TEST_F(SettingBindingTest, MissingPathsLeaveRowsAlone) {
    for (const std::string path :
         {"mobile_simple/nothing", "nothing/apn", "mobile_simple/apn/deeper",
          "mgmtconnection&index=3/ServerArray&index=2", "/apn", "mobile_simple/", ""}) {
        SCOPED_TRACE(path);
        const Page page = ReadText(path);
        EXPECT_EQ(page.text, "untouched");
        EXPECT_TRUE(page.shown.empty());
    }
    Page page;
    ReadSetting(page.Reveal(), {page.TextRow("mobile_simple/apn")}, nullptr);
    EXPECT_TRUE(page.shown.empty());
}

// A page cannot hold a longer path; such a row is never found, not cut short.
TEST_F(SettingBindingTest, PathsLongerThanARowAreNeverFound) {
    const std::string name(kMaxSettingPathLength - 2, 'n');
    model.LoadSettingsReply("<r><query_setting><g><" + name + ">v</" + name + "><" + name +
                            "x>w</" + name + "x></g></query_setting></r>");
    EXPECT_EQ(ReadText("g/" + name).text, "v");
    EXPECT_EQ(ReadText("g/" + name + "x").text, "untouched");
}

TEST_F(SettingBindingTest, EmptyElementsRevealButOnlyTextIsRead) {
    const Page text = ReadText("mobile_simple/user");
    EXPECT_EQ(text.text, "");
    EXPECT_EQ(text.shown, std::set<int>{1});
    const Page number = ReadNumber("mobile_simple/user", kIntegerSetting);
    EXPECT_EQ(number.number, -7);
    EXPECT_EQ(number.shown, std::set<int>{1});
}

TEST_F(SettingBindingTest, NumbersAndWords) {
    EXPECT_EQ(ReadNumber("mobile_simple/idle", kIntegerSetting).number, 300);
    EXPECT_EQ(ReadNumber("mobile_simple/pin", kIntegerSetting).number, 0);
    EXPECT_EQ(ReadNumber("mobile_simple/enabled", kOnOffSetting).number, 1);
    EXPECT_EQ(ReadNumber("mgmtconnection&index=3/connectionEnabled", kOnOffSetting).number, 0);
    EXPECT_EQ(ReadNumber("mobile_simple/mode", kOnOffSetting).number, -7);
    // Integer wins over on/off, text over both.
    EXPECT_EQ(ReadNumber("mobile_simple/idle", kIntegerSetting | kOnOffSetting).number, 300);
    Page both;
    ReadSetting(both.Reveal(),
                {{"mobile_simple/idle",
                  &both.text,
                  &both.number,
                  0,
                  nullptr,
                  kTextSetting | kIntegerSetting | kComboSetting,
                  {},
                  {}}},
                model.SettingsGroups());
    EXPECT_EQ(both.text, "300s");
    EXPECT_EQ(both.number, -7);
    EXPECT_TRUE(both.shown.empty());  // no control

    WriteNumber("mobile_simple/idle", kIntegerSetting, -5);
    EXPECT_EQ(ReadText("mobile_simple/idle").text, "-5");
    WriteNumber("mobile_simple/enabled", kOnOffSetting, 0);
    EXPECT_EQ(ReadText("mobile_simple/enabled").text, "off");
    WriteNumber("mobile_simple/enabled", kOnOffSetting, 2);
    EXPECT_EQ(ReadText("mobile_simple/enabled").text, "off");
    WriteNumber("mobile_simple/enabled", kOnOffSetting, 1);
    EXPECT_EQ(ReadText("mobile_simple/enabled").text, "on");
    // Neither on nor off: the stored text is not replaced.
    WriteNumber("mobile_simple/mode", kOnOffSetting, -1);
    EXPECT_EQ(ReadText("mobile_simple/mode").text, "maybe");
}

TEST_F(SettingBindingTest, ConvertersApplyToTextRows) {
    Page page;
    SettingBinding row = page.TextRow("serial/baud");
    row.readConverter = [](const std::string& text) { return "[" + text + "]"; };
    row.writeConverter = [](const std::string& text) { return text.substr(1, text.size() - 2); };
    ReadSetting(page.Reveal(), {row}, model.SettingsGroups());
    EXPECT_EQ(page.text, "[115200]");
    page.text = "[9600]";
    WriteSetting({row}, model.SettingsGroups());
    EXPECT_EQ(ReadText("serial/baud").text, "9600");
}

TEST_F(SettingBindingTest, WritingReplacesChildElementsAndCreatesNothing) {
    WriteText("serial/baud", "57600");
    EXPECT_EQ(ReadText("serial/baud/parity").text, "untouched");
    WriteText("serial/stopbits", "2");
    WriteText("mgmtconnection&index=3/ServerArray&index=2", "x");
    EXPECT_EQ(SerializeForRequest(model.SettingsDocument()).find("stopbits"), std::string::npos);
    EXPECT_EQ(ReadText("mgmtconnection&index=3/ServerArray&index=2").text, "untouched");
}

// Whatever a user types reaches the gateway unchanged: written, sent, parsed
// back by the gateway and read again.
TEST_F(SettingBindingTest, ValuesSurviveTheRoundTripLiterally) {
    for (const std::string value :
         {"AT&T", "p&amp;w", "&#65;&foo;", "a<b>c", "say \"hi\" it's", "cr\rlf\ntab\t",
          "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x93\xA1", "  padded  ", ""}) {
        SCOPED_TRACE(value);
        WriteText("mobile_simple/apn", value);
        const XmlDocument sent =
            ParseXmlText(SerializeForRequest(model.SettingsDocument()), "sent.xml");
        ASSERT_NE(sent, nullptr);
        xmlNodePtr groups =
            FindChildElement(xmlDocGetRootElement(sent.get()), XML_ELEMENT_NODE, "set_setting")
                ->children;
        Page page;
        ReadSetting(page.Reveal(), {page.TextRow("mobile_simple/apn")}, groups);
        EXPECT_EQ(page.text, value);
    }
}

// Text that is not UTF-8 (a Latin-1 "café ok") keeps every character instead
// of losing the ones after the stray byte.
TEST_F(SettingBindingTest, StrayBytesAreTakenAsLatin1) {
    WriteText("mobile_simple/apn", "caf\xE9 ok \xED\xA0\x80 \xC3");
    EXPECT_EQ(ReadText("mobile_simple/apn").text,
              "caf\xC3\xA9 ok \xC3\xAD\xC2\xA0\xC2\x80 \xC3\x83");
}

}  // namespace
