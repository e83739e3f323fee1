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

namespace {

// Lead bytes of multi-byte UTF-8 sequences; C0, C1 and F5 to FF never lead.
struct Utf8Lead {
    unsigned char first;
    unsigned char last;
    std::size_t length;
    unsigned minCode;
    unsigned mask;
};
constexpr Utf8Lead kUtf8Leads[] = {
    {0xC2, 0xDF, 2, 0x80, 0x1F}, {0xE0, 0xEF, 3, 0x800, 0x0F}, {0xF0, 0xF4, 4, 0x10000, 0x07}};

// Length of the valid UTF-8 sequence starting `text`, or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (byte(0) < 0x80) {
        return 1;
    }
    for (const Utf8Lead& lead : kUtf8Leads) {
        if (byte(0) < lead.first || byte(0) > lead.last || text.size() < lead.length) {
            continue;
        }
        unsigned code = byte(0) & lead.mask;
        for (std::size_t i = 1; i < lead.length; ++i) {
            if ((byte(i) & 0xC0u) != 0x80u) {
                return 0;
            }
            code = (code << 6) | (byte(i) & 0x3Fu);
        }
        const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
        return (code < lead.minCode || code > 0x10FFFF || surrogate) ? 0 : lead.length;
    }
    return 0;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            return false;
        }
        text.remove_prefix(length);
    }
    return true;
}

std::string ToValidUtf8(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length > 0) {
            result.append(text.substr(0, length));
            text.remove_prefix(length);
            continue;
        }
        const auto latin1 = static_cast<unsigned char>(text.front());
        result += static_cast<char>(0xC0u | (latin1 >> 6));
        result += static_cast<char>(0x80u | (latin1 & 0x3Fu));
        text.remove_prefix(1);
    }
    return result;
}
