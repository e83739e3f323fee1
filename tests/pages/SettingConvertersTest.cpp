#include <gtest/gtest.h>

#include "model/SettingConverters.h"

TEST(BandConverters, TableValuesBothWaysAndUnknownValuesKept) {
    EXPECT_EQ(BandForDisplay("9"), "850/1900 MHz (North America)");
    EXPECT_EQ(BandForDisplay("06"), "900/1800 MHz (Europe/World)");
    EXPECT_EQ(BandForDisplay("10"), "900/1900 MHz");
    const std::vector<std::string> choices = SplitChoices(BandChoices());
    ASSERT_EQ(choices.size(), 7u);
    EXPECT_EQ(choices.front(), "850/1900 MHz (North America)");
    EXPECT_EQ(choices.back(), "900/1900 MHz");
    const char* const expected[] = {"9", "6", "1", "2", "4", "8", "10"};
    for (std::size_t i = 0; i < choices.size(); ++i) {
        EXPECT_EQ(BandForStorage(choices[i]), expected[i]);
        EXPECT_EQ(BandForDisplay(expected[i]), choices[i]);
    }
    // A number the table lacks is shown as stored and written back as stored.
    for (const char* stored : {"3", "12", "0", "abc", "03"}) {
        EXPECT_EQ(BandForDisplay(stored), std::string("Band value ") + stored);
        EXPECT_EQ(BandForStorage(BandForDisplay(stored)), stored);
    }
    EXPECT_EQ(BandForStorage("900/1900 mhz"), "") << "table entries compare exactly";
    EXPECT_EQ(BandForStorage(""), "");
}

TEST(AddressConverters, SchemeHiddenAndStoredValuesKept) {
    EXPECT_EQ(AddressForDisplay("en://server1"), "server1");
    EXPECT_EQ(AddressForDisplay("xen://a/en://b"), "a/en://b");
    EXPECT_EQ(AddressForDisplay("plain.example"), "plain.example");
    // Unedited: back exactly as stored, with or without the scheme.
    EXPECT_EQ(AddressForStorage("server1", "en://server1"), "en://server1");
    EXPECT_EQ(AddressForStorage("plain.example", "plain.example"), "plain.example");
    EXPECT_EQ(AddressForStorage("", ""), "");
    EXPECT_EQ(AddressForStorage("", "en://"), "en://");
    // Edited.
    EXPECT_EQ(AddressForStorage("server2", "en://server1"), "en://server2");
    EXPECT_EQ(AddressForStorage("server2", "plain.example"), "en://server2");
    EXPECT_EQ(AddressForStorage("en://typed", "en://server1"), "en://typed");
    EXPECT_EQ(AddressForStorage("", "en://server1"), "en://");
}

TEST(ChoiceMatching, WholeEntriesIgnoringCase) {
    const std::vector<std::string> baud = SplitChoices("300\n600\n1200\n115200");
    ASSERT_EQ(baud.size(), 4u);
    EXPECT_EQ(FindChoice(baud, "115200"), 3);
    EXPECT_EQ(FindChoice(baud, "1"), -1) << "not a prefix match";
    EXPECT_EQ(FindChoice(baud, "460800"), -1);
    EXPECT_EQ(FindChoice(SplitChoices("1\n2"), "1"), 0);
    const std::vector<std::string> parity = SplitChoices("None\nOdd\nEven");
    EXPECT_EQ(FindChoice(parity, "none"), 0);
    EXPECT_EQ(FindChoice(parity, "EVEN"), 2);
    EXPECT_EQ(FindChoice(parity, "mark"), -1);
    EXPECT_EQ(FindChoice(parity, ""), -1);
}

TEST(TimeoutFields, DecodeEncodeAndRanges) {
    const TimeoutFields decoded = DecodeTimeout(3725);
    EXPECT_TRUE(decoded.enabled);
    EXPECT_EQ(decoded.hours, 1);
    EXPECT_EQ(decoded.minutes, 2);
    EXPECT_EQ(decoded.seconds, 5);
    EXPECT_EQ(EncodeTimeout(decoded), 3725);
    EXPECT_EQ(EncodeTimeout(DecodeTimeout(0)), 0);
    EXPECT_EQ(EncodeTimeout(DecodeTimeout(604800)), 604800);

    for (int stored : {-1, -32768, -5}) {
        const TimeoutFields off = DecodeTimeout(stored);
        EXPECT_FALSE(off.enabled);
        EXPECT_EQ(off.hours, 0);
        EXPECT_EQ(off.minutes, 0);
        EXPECT_EQ(off.seconds, 10);
        EXPECT_EQ(EncodeTimeout(off), -32768);
    }
    EXPECT_EQ(EncodeTimeout({true, 9, 60, 60}), 36060);
    EXPECT_EQ(EncodeTimeout({true, 0, 1, 0}), 60);
    EXPECT_EQ(DecodeTimeout(36000).hours, 10);

    int value = -1;
    EXPECT_TRUE(ParseInRange("9", kHoursRange, value));
    EXPECT_EQ(value, 9);
    EXPECT_TRUE(ParseInRange(" 60 ", kMinutesRange, value));
    EXPECT_EQ(value, 60);
    EXPECT_TRUE(ParseInRange("0", kSecondsRange, value));
    for (const char* refused : {"10", "-1", "", "abc", "5x", "99999999999"}) {
        value = 42;
        EXPECT_FALSE(ParseInRange(refused, kHoursRange, value)) << refused;
        EXPECT_EQ(value, 42) << "a refused text leaves the value alone";
    }
    EXPECT_FALSE(ParseInRange("61", kSecondsRange, value));
}
