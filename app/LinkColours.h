#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// A colour as the desktop's settings give it: one byte per channel.
struct Rgb {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;

    bool operator==(const Rgb&) const = default;
};

// The colours a link is drawn in: pure blue, and pure red under the pointer,
// unless the desktop says otherwise.
struct LinkColours {
    Rgb link{0, 0, 255};
    Rgb hover{255, 0, 0};
};

// "red,green,blue": exactly three decimal numbers of 0 to 255 separated by
// commas, nothing else. Anything else (two or four numbers, an empty field,
// a sign, a space) is not a colour.
std::optional<Rgb> ParseColourTriple(std::string_view text);

// The link colours of the KDE colour scheme in the given kdeglobals file:
// ForegroundLink for the link and ForegroundActive for the pointer's hover,
// both in the [Colors:View] group. A missing file, group or key, or a value
// that is not a colour, leaves that colour at its default.
LinkColours ReadLinkColours(const std::filesystem::path& kdeglobals);

// Where the user's kdeglobals lives: $XDG_CONFIG_HOME/kdeglobals, else
// ~/.config/kdeglobals; empty when neither variable says.
std::filesystem::path UserKdeGlobals();
