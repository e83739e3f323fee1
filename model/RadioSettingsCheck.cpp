#include "model/RadioSettingsCheck.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexDigitValue(char c) {
    if (IsDecimalDigit(c)) {
        return c - '0';
    }
    return (c | 0x20) - 'a' + 10;
}

// Nothing but digits of the base, valued at most `highest`; values far beyond
// it stop counting instead of wrapping round.
bool DigitsWithin(std::string_view digits, int base, unsigned long highest) {
    const auto isDigit = base == 16 ? IsHexDigit : IsDecimalDigit;
    if (!std::all_of(digits.begin(), digits.end(), isDigit)) {
        return false;
    }
    unsigned long value = 0;
    for (const char c : digits) {
        value =
            value * static_cast<unsigned long>(base) + static_cast<unsigned long>(HexDigitValue(c));
        if (value > highest) {
            return false;
        }
    }
    return true;
}

bool DecimalWithin(std::string_view text, unsigned long highest) {
    return DigitsWithin(text, 10, highest);
}

// Hexadecimal numerals with an optional "0x" or "0X"; the prefix alone is no
// number.
bool HexWithin(std::string_view text, unsigned long highest) {
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        if (text.empty()) {
            return false;
        }
    }
    return DigitsWithin(text, 16, highest);
}

// "0x" and one to sixteen hexadecimal numerals: at most eight bytes. A bare
// "0" asks the gateway to pick a random extended PAN ID, as the page's note
// tells the user, so it is taken as typed.
bool IsExtendedPanId(std::string_view text) {
    if (text == "0") {
        return true;
    }
    if (!text.starts_with("0x")) {
        return false;
    }
    text.remove_prefix(2);
    return !text.empty() && text.size() <= 16 && DigitsWithin(text, 16, ~0UL);
}

struct FieldRule {
    RadioField field;
    std::string RadioSettingsEntry::*value;
    bool (*accepts)(std::string_view);
    const char* message;
};

constexpr FieldRule kRules[] = {
    {RadioField::ExtendedPanId, &RadioSettingsEntry::extendedPanId, IsExtendedPanId,
     "Extended PAN ID must be 8 hex bytes"},
    {RadioField::DiscoverTimeout, &RadioSettingsEntry::discoverTimeout,
     [](std::string_view text) { return DecimalWithin(text, 252); },
     "Discover Timeout must be between 0 and 252"},
    {RadioField::ScanChannels, &RadioSettingsEntry::scanChannels,
     [](std::string_view text) { return HexWithin(text, 0xffff); },
     "Scan Channels must be between 0 and 0xffff"},
    {RadioField::ScanDuration, &RadioSettingsEntry::scanDuration,
     [](std::string_view text) { return DecimalWithin(text, 7); },
     "Scan Duration must be between 0 and 7"},
    {RadioField::JoinTime, &RadioSettingsEntry::joinTime,
     [](std::string_view text) { return DecimalWithin(text, 255); },
     "Allows Join Time must be between 0 and 255"},
};

const FieldRule& RuleFor(RadioField field) {
    return *std::find_if(std::begin(kRules), std::end(kRules),
                         [field](const FieldRule& rule) { return rule.field == field; });
}

}  // namespace

std::optional<RadioSettingsProblem> CheckRadioSettings(
    const RadioSettingsEntry& entry, const std::function<bool(RadioField)>& edited) {
    for (const FieldRule& rule : kRules) {
        if (edited && !edited(rule.field)) {
            continue;
        }
        if (!rule.accepts(entry.*rule.value)) {
            return RadioSettingsProblem{rule.field, rule.message};
        }
    }
    return std::nullopt;
}

std::optional<RadioSettingsProblem> CheckRadioSettingChanges(const RadioSettingsEntry& entry,
                                                             const RadioSettingsEntry& stored) {
    return CheckRadioSettings(entry, [&](RadioField field) {
        const std::string RadioSettingsEntry::*value = RuleFor(field).value;
        return entry.*value != stored.*value;
    });
}
