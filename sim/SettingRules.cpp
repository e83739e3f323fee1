#include "SettingRules.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <set>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A whole decimal integer within [low, high], written back without leading zeros.
std::optional<std::string> Integer(const std::string& value, long low, long high) {
    long number = 0;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, number);
    if (value.empty() || ec != std::errc() || ptr != end || number < low || number > high) {
        return std::nullopt;
    }
    return std::to_string(number);
}

std::optional<std::string> OneOf(const std::string& value, const std::set<std::string>& choices) {
    const std::string lower = Lower(value);
    return choices.count(lower) != 0 ? std::optional(lower) : std::nullopt;
}

// Hexadecimal with an optional 0x prefix (required when `prefixRequired`), at most `digits`
// digits, stored as 0x followed by exactly `width` lowercase digits (no padding when 0).
std::optional<std::string> Hex(const std::string& value, bool prefixRequired, std::size_t digits,
                               int width) {
    const std::string lower = Lower(value);
    const bool prefixed = lower.starts_with("0x");
    const std::string numerals = prefixed ? lower.substr(2) : lower;
    if ((prefixRequired && !prefixed) || numerals.empty() || numerals.size() > digits ||
        !std::all_of(numerals.begin(), numerals.end(),
                     [](unsigned char c) { return std::isxdigit(c) != 0; })) {
        return std::nullopt;
    }
    unsigned long long number = std::stoull(numerals, nullptr, 16);
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llx", width, number);
    return std::string(text);
}

std::optional<std::string> Serial(const std::string& field, const std::string& value) {
    if (field == "baud") {
        static const std::set<std::string> kRates = {"300",   "600",    "1200",  "2400",
                                                     "4800",  "9600",   "19200", "38400",
                                                     "57600", "115200", "230400"};
        return kRates.count(value) != 0 ? std::optional(value) : std::nullopt;
    }
    if (field == "databits") {
        return Integer(value, 5, 8);
    }
    if (field == "stopbits") {
        return Integer(value, 1, 2);
    }
    if (field == "parity") {
        return OneOf(value, {"none", "odd", "even", "mark", "space"});
    }
    if (field == "flowcontrol") {
        return OneOf(value, {"none", "hardware", "software"});
    }
    return value;
}

std::optional<std::string> Radio(const std::string& field, const std::string& value) {
    if (field == "ext_pan_id") {
        // A bare 0 lets the radio choose a random extended PAN ID; the
        // simulated radio settles on zero.
        return Hex(value, value != "0", 16, 16);
    }
    if (field == "scan_channels") {
        return Hex(value, false, 4, 1);
    }
    if (field == "join_time") {
        return Integer(value, 0, 255);
    }
    if (field == "discover_timeout") {
        return Integer(value, 0, 252);
    }
    if (field == "scan_duration") {
        return Integer(value, 0, 7);
    }
    if (field == "power_level") {
        return Integer(value, 0, 4);
    }
    if (field == "node_id") {
        return value.size() <= 20 ? std::optional(value) : std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<std::string> SettingRules::Check(const std::string& group, const std::string& field,
                                               const std::string& value) {
    static const std::set<std::string> kSwitches = {"state", "keepalive", "connectionEnabled",
                                                    "lastKnownAddressUpdateEnabled"};
    if (kSwitches.count(field) != 0) {
        return OneOf(value, {"on", "off"});
    }
    if (field == "port") {
        return Integer(value, 1, 65535);
    }
    if (field == "clientConnectionReconnectTimeout") {
        // Negative means "do not reconnect"; at most a week between attempts.
        return Integer(value, -32768, 7 * 24 * 3600);
    }
    if (field == "mobile_gsm_band") {
        return Integer(value, 1, 15);
    }
    if (group == "serial") {
        return Serial(field, value);
    }
    if (group == "radio") {
        return Radio(field, value);
    }
    return value;
}
