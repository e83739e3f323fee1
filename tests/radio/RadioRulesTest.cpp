#include <gtest/gtest.h>

#include "model/ChoiceList.h"
#include "model/ConfigModel.h"
#include "model/PowerLevel.h"
#include "model/RadioSettingsCheck.h"
#include "model/StrayAmpersands.h"
#include "model/XmlString.h"

namespace {

RadioSettingsEntry Valid() {
    return {"0x0000000000000000", "60", "0x7fff", "3", "255"};
}

// The field refused, or "" when the entry passes.
std::string Refused(const RadioSettingsEntry& entry) {
    const auto problem = CheckRadioSettings(entry);
    if (!problem)
        return "";
    const char* names[] = {"pan", "timeout", "channels", "duration", "join"};
    return names[static_cast<int>(problem->field)];
}

std::string RefusedPanId(const std::string& value) {
    RadioSettingsEntry entry = Valid();
    entry.extendedPanId = value;
    return Refused(entry);
}

std::string RefusedTimeout(const std::string& value) {
    RadioSettingsEntry entry = Valid();
    entry.discoverTimeout = value;
    return Refused(entry);
}

std::string RefusedChannels(const std::string& value) {
    RadioSettingsEntry entry = Valid();
    entry.scanChannels = value;
    return Refused(entry);
}

}  // namespace

TEST(RadioSettingsCheckTest, ExtendedPanIdIsZeroXAndOneToSixteenHexDigits) {
    EXPECT_EQ(RefusedPanId("0x0000000000000000"), "");
    EXPECT_EQ(RefusedPanId("0x0"), "");
    EXPECT_EQ(RefusedPanId("0xDEADbeef"), "");
    EXPECT_EQ(RefusedPanId("0"), "") << "0 asks for a random extended PAN ID";
    for (const char* bad :
         {"00", "0X12", "12", "", "0x", "0xzz", "0x12g", "0x00000000000000000", " 0x1", "0x1 "})
        EXPECT_EQ(RefusedPanId(bad), "pan") << bad;
}

TEST(RadioSettingsCheckTest, NumbersAreWholeAndWithinRange) {
    EXPECT_EQ(RefusedTimeout("252"), "");
    EXPECT_EQ(RefusedTimeout(""), "") << "an empty field counts as 0";
    EXPECT_EQ(RefusedTimeout("0000000000000000000000252"), "");
    for (const char* bad : {"253", "12abc", "-1", "+5", " 5", "99999999999999999999999"})
        EXPECT_EQ(RefusedTimeout(bad), "timeout") << bad;

    for (const char* good : {"0xffff", "ffff", "0XFFFF", "0", ""})
        EXPECT_EQ(RefusedChannels(good), "") << good;
    for (const char* bad : {"0x10000", "zz", "0x", "0xffffffffffffffffffff", "ff ff"})
        EXPECT_EQ(RefusedChannels(bad), "channels") << bad;

    RadioSettingsEntry entry = Valid();
    entry.scanDuration = "8";
    EXPECT_EQ(Refused(entry), "duration");
    entry.scanDuration = "7";
    entry.joinTime = "256";
    EXPECT_EQ(Refused(entry), "join");
    entry.joinTime = "255";
    EXPECT_EQ(Refused(entry), "");

    // The gateway's own " 60" is not the user's to correct when they change
    // only the join time; once they edit it, it is.
    entry.discoverTimeout = " 60";
    entry.joinTime = "256";
    const auto problem =
        CheckRadioSettings(entry, [](RadioField field) { return field == RadioField::JoinTime; });
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, RadioField::JoinTime);
    entry.joinTime = "255";
    EXPECT_FALSE(
        CheckRadioSettings(entry, [](RadioField field) { return field == RadioField::JoinTime; }));
    EXPECT_EQ(Refused(entry), "timeout");
}

TEST(RadioSettingsCheckTest, FirstWrongFieldInPageOrderIsReportedWithItsMessage) {
    const RadioSettingsEntry allWrong = {"1", "300", "0x10000", "9", "999"};
    const char* messages[] = {
        "Extended PAN ID must be 8 hex bytes", "Discover Timeout must be between 0 and 252",
        "Scan Channels must be between 0 and 0xffff", "Scan Duration must be between 0 and 7",
        "Allows Join Time must be between 0 and 255"};
    // Mend the fields one by one: each time the next one is reported.
    RadioSettingsEntry entry = allWrong;
    std::string RadioSettingsEntry::*fields[] = {
        &RadioSettingsEntry::extendedPanId, &RadioSettingsEntry::discoverTimeout,
        &RadioSettingsEntry::scanChannels, &RadioSettingsEntry::scanDuration,
        &RadioSettingsEntry::joinTime};
    for (int i = 0; i < 5; ++i) {
        const auto problem = CheckRadioSettings(entry);
        ASSERT_TRUE(problem);
        EXPECT_EQ(static_cast<int>(problem->field), i);
        EXPECT_EQ(problem->message, messages[i]);
        entry.*fields[i] = Valid().*fields[i];
    }
    EXPECT_FALSE(CheckRadioSettings(entry));
}

TEST(PowerLevelTest, ConvertersMapTheFiveEntriesAndKeepEverythingElse) {
    EXPECT_EQ(PowerLevelToEntry("0"), "Lowest (0)");
    EXPECT_EQ(PowerLevelToEntry("2"), "Medium (2)");
    EXPECT_EQ(PowerLevelToEntry("4"), "Maximum (4)");
    // Read as the node dialog reads a node's level.
    EXPECT_EQ(PowerLevelToEntry("02"), "Medium (2)");
    EXPECT_EQ(PowerLevelToEntry(" 3"), "High (3)");
    for (const char* unknown : {"5", "-1", "07", "abc", "", " "})
        EXPECT_EQ(PowerLevelToEntry(unknown), unknown);
    EXPECT_EQ(PowerLevelFromEntry("High (3)"), "3");
    EXPECT_EQ(PowerLevelFromEntry("Lowest (0)"), "0");
    EXPECT_EQ(PowerLevelFromEntry("high (3)"), "high (3)") << "entries compare exactly";
    EXPECT_EQ(PowerLevelFromEntry("7"), "7");
}

TEST(ChoiceListTest, EntriesMatchWhole) {
    const std::vector<std::string> entries = {"1 second", "1", "Low (1)"};
    EXPECT_EQ(FindChoice(entries, "1"), 1);
    EXPECT_EQ(FindChoice(entries, "low (1)"), 2);
    EXPECT_EQ(FindChoice(entries, "Low"), -1);
    EXPECT_EQ(FindChoice(entries, ""), -1);
    EXPECT_EQ(SplitChoices("a\n\nb"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(StrayAmpersandsTest, ReferencesStayAndBareAmpersandsGo) {
    EXPECT_EQ(RemoveStrayAmpersands("AT&T"), "ATT");
    EXPECT_EQ(RemoveStrayAmpersands("a &amp; b &lt;c&gt; &quot;&apos;"),
              "a &amp; b &lt;c&gt; &quot;&apos;");
    EXPECT_EQ(RemoveStrayAmpersands("&#65;&#x42;&#x10FFFF;"), "&#65;&#x42;&#x10FFFF;");
    // Undefined entities, characters XML forbids, malformed or unterminated
    // references would leave the reply unreadable.
    EXPECT_EQ(RemoveStrayAmpersands("&nbsp; &#0; &#xD800; &#x; &#12a; &amp &;"),
              "nbsp; #0; #xD800; #x; #12a; amp ;");
    EXPECT_EQ(RemoveStrayAmpersands("R&D;&&amp;"), "RD;&amp;");
}

TEST(StrayAmpersandsTest, StateReplyWithBothKindsLoads) {
    ConfigModel model;
    const std::string reply =
        "<rci_reply><query_state><mobile_stats><network_name>AT&T</network_name>"
        "<operator>A&amp;B &lt;1&gt;</operator></mobile_stats></query_state></rci_reply>";
    model.LoadStateReply(RemoveStrayAmpersands(reply));
    ASSERT_NE(model.StateGroups(), nullptr);
    EXPECT_EQ(NodeContent(model.StateGroups()), "ATTA&B <1>");
}
