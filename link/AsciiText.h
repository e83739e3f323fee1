#pragma once

#include <algorithm>
#include <string_view>

// Equal when they differ at most in the case of ASCII letters. Gateway names,
// USB strings and XML element names are compared this way, whatever the locale.
inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}
