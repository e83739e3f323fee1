#include "ctl/JsonText.h"

#include <algorithm>
#include <cstdio>

std::string JsonQuote(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    quoted += escape;
                } else {
                    quoted += c;
                }
        }
    }
    return quoted + '"';
}

std::string JsonNumber(std::string_view digits) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return "null";
    // JSON allows no leading zeros.
    const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    return std::string(digits.substr(first));
}
