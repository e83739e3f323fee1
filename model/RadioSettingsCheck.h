#pragma once

#include <functional>
#include <optional>
#include <string>

// The radio settings the user can type, as typed.
struct RadioSettingsEntry {
    std::string extendedPanId;
    std::string discoverTimeout;
    std::string scanChannels;
    std::string scanDuration;
    std::string joinTime;
};

enum class RadioField { ExtendedPanId, DiscoverTimeout, ScanChannels, ScanDuration, JoinTime };

// The first field, in the order the page lists them, that the gateway cannot
// take, with the message that says what it wants.
struct RadioSettingsProblem {
    RadioField field;
    std::string message;
};

// Every field is checked whole, so "12abc" or "0xzz" never reaches the
// gateway. An empty numeric field counts as 0. The node identifier and the
// power level are free. With `edited`, only the fields it names are checked: a
// value the gateway reported itself (" 60", "+60") goes back as it came and
// must not hold up the fields the user did change.
std::optional<RadioSettingsProblem> CheckRadioSettings(
    const RadioSettingsEntry& entry, const std::function<bool(RadioField)>& edited = {});

// Checks only the fields whose text differs from `stored`, the values the
// gateway reported: what the user changed, however the fields were marked.
std::optional<RadioSettingsProblem> CheckRadioSettingChanges(const RadioSettingsEntry& entry,
                                                             const RadioSettingsEntry& stored);
