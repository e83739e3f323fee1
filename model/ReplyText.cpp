#include "model/ReplyText.h"

#include <climits>

std::string_view TrimReply(std::string_view reply) {
    const std::size_t first = reply.find('<');
    const std::size_t last = reply.rfind('>');
    if (first == std::string_view::npos || last == std::string_view::npos || last < first) {
        return {};
    }
    return reply.substr(first, last - first + 1);
}

std::string RemoveAll(std::string_view text, std::string_view piece) {
    std::string result;
    std::size_t start = 0;
    for (std::size_t found = text.find(piece); !piece.empty() && found != std::string_view::npos;
         found = text.find(piece, start)) {
        result.append(text.substr(start, found - start));
        start = found + piece.size();
    }
    result.append(text.substr(start));
    return result;
}

namespace {

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulated as a negative number so that INT_MIN is reachable.
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 - (text[i] - '0');
        if (value < static_cast<long long>(INT_MIN) - 1) {
            value = static_cast<long long>(INT_MIN) - 1;
        }
    }
    if (negative) {
        return value < INT_MIN ? INT_MIN : static_cast<int>(value);
    }
    return -value > INT_MAX ? INT_MAX : static_cast<int>(-value);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}
