#include "app/LinkColours.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr std::string_view kColourGroup = "[Colors:View]";
constexpr std::string_view kLinkKey = "ForegroundLink";
constexpr std::string_view kHoverKey = "ForegroundActive";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// One channel: digits only (from_chars alone would take a sign), at most 255.
std::optional<unsigned char> ParseChannel(std::string_view field) {
    if (field.empty() || field.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size() || value > 255)
        return std::nullopt;
    return static_cast<unsigned char>(value);
}

}  // namespace

std::optional<Rgb> ParseColourTriple(std::string_view text) {
    const auto first = text.find(',');
    const auto second = text.find(',', first == std::string_view::npos ? text.size() : first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    const auto red = ParseChannel(text.substr(0, first));
    const auto green = ParseChannel(text.substr(first + 1, second - first - 1));
    // A third comma makes the last field non-numeric, so four numbers fail here.
    const auto blue = ParseChannel(text.substr(second + 1));
    if (!red || !green || !blue)
        return std::nullopt;
    return Rgb{*red, *green, *blue};
}

LinkColours ReadLinkColours(const std::filesystem::path& kdeglobals) {
    LinkColours colours;
    std::ifstream in(kdeglobals);
    bool inGroup = false;
    for (std::string raw; std::getline(in, raw);) {
        const std::string_view line = Trim(raw);
        if (line.starts_with('[')) {
            inGroup = line == kColourGroup;
            continue;
        }
        const auto equals = line.find('=');
        if (!inGroup || equals == std::string_view::npos)
            continue;
        const std::string_view key = Trim(line.substr(0, equals));
        const auto colour = ParseColourTriple(Trim(line.substr(equals + 1)));
        if (!colour)
            continue;
        if (key == kLinkKey)
            colours.link = *colour;
        else if (key == kHoverKey)
            colours.hover = *colour;
    }
    return colours;
}

std::filesystem::path UserKdeGlobals() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
        return std::filesystem::path(config) / "kdeglobals";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::filesystem::path(home) / ".config" / "kdeglobals";
    return {};
}
