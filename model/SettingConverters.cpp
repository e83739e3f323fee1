#include "model/SettingConverters.h"

#include <array>
#include <charconv>

#include "link/AsciiText.h"
#include "model/ReplyText.h"

namespace {

struct Band {
    const char* text;
    int value;
};

constexpr std::array<Band, 7> kBands = {{
    {"850/1900 MHz (North America)", 9},
    {"900/1800 MHz (Europe/World)", 6},
    {"850 MHz", 1},
    {"900 MHz", 2},
    {"1800 MHz", 4},
    {"1900 MHz", 8},
    {"900/1900 MHz", 10},
}};

constexpr std::string_view kUnknownBand = "Band value ";
constexpr std::string_view kAddressScheme = "en://";

std::string JoinBandTexts() {
    std::string joined;
    for (const Band& band : kBands) {
        if (!joined.empty()) {
            joined += '\n';
        }
        joined += band.text;
    }
    return joined;
}

std::string_view TrimSpace(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

const std::string& BandChoices() {
    static const std::string choices = JoinBandTexts();
    return choices;
}

std::string BandForDisplay(const std::string& stored) {
    const int value = LeadingInteger(stored);
    for (const Band& band : kBands) {
        if (band.value == value) {
            return band.text;
        }
    }
    return std::string(kUnknownBand) + stored;
}

std::string BandForStorage(const std::string& shown) {
    for (const Band& band : kBands) {
        if (shown == band.text) {
            return std::to_string(band.value);
        }
    }
    if (shown.starts_with(kUnknownBand)) {
        return shown.substr(kUnknownBand.size());
    }
    return {};
}

std::string AddressForDisplay(const std::string& stored) {
    const std::size_t scheme = stored.find(kAddressScheme);
    return scheme == std::string::npos ? stored : stored.substr(scheme + kAddressScheme.size());
}

std::string AddressForStorage(const std::string& shown, const std::string& stored) {
    if (shown == AddressForDisplay(stored)) {
        return stored;
    }
    if (shown.starts_with(kAddressScheme)) {
        return shown;
    }
    return std::string(kAddressScheme) + shown;
}

TimeoutFields DecodeTimeout(int seconds) {
    if (seconds < 0) {
        return {};
    }
    return {true, seconds / 3600, seconds % 3600 / 60, seconds % 60};
}

int EncodeTimeout(const TimeoutFields& fields) {
    if (!fields.enabled) {
        return kTimeoutOff;
    }
    return fields.hours * 3600 + fields.minutes * 60 + fields.seconds;
}

int EncodeTimeout(const TimeoutFields& fields, int stored) {
    return fields == DecodeTimeout(stored) ? stored : EncodeTimeout(fields);
}

bool ParseInRange(std::string_view text, FieldRange range, int& value) {
    text = TrimSpace(text);
    int parsed = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || error != std::errc() || stop != end || parsed < range.low ||
        parsed > range.high) {
        return false;
    }
    value = parsed;
    return true;
}
