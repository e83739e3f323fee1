#include "model/StrayAmpersands.h"

#include <array>

namespace {

bool IsXmlCharacter(unsigned long code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// "#123" or "#x1F": a character reference to a character XML allows.
bool IsCharacterReference(std::string_view name) {
    if (!name.starts_with('#')) {
        return false;
    }
    name.remove_prefix(1);
    const bool hex = name.starts_with('x');
    if (hex) {
        name.remove_prefix(1);
    }
    if (name.empty()) {
        return false;
    }
    unsigned long code = 0;
    for (const char c : name) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
            digit = (c | 0x20) - 'a' + 10;
        }
        if (digit < 0) {
            return false;
        }
        code = code * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
        if (code > 0x10FFFF) {
            return false;
        }
    }
    return IsXmlCharacter(code);
}

// Replies are parsed without a DTD, so only the predefined entities exist.
bool IsPredefinedEntity(std::string_view name) {
    constexpr std::array<std::string_view, 5> kNames = {"amp", "lt", "gt", "quot", "apos"};
    for (const std::string_view known : kNames) {
        if (name == known) {
            return true;
        }
    }
    return false;
}

// True when the "&" at the start of `text` begins a reference the parser takes.
bool BeginsReference(std::string_view text) {
    // The longest reference is "&#x10FFFF;" or "&#1114111;" with leading zeros;
    // a few more characters are no reference anyone sends.
    const std::size_t semicolon = text.find(';', 1);
    if (semicolon == std::string_view::npos || semicolon > 32) {
        return false;
    }
    const std::string_view name = text.substr(1, semicolon - 1);
    return IsPredefinedEntity(name) || IsCharacterReference(name);
}

}  // namespace

std::string RemoveStrayAmpersands(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&' || BeginsReference(text.substr(i))) {
            kept += text[i];
        }
    }
    return kept;
}
