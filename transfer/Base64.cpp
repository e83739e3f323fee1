#include "transfer/Base64.h"

#include <array>

namespace {

constexpr int kSkip = -1;
constexpr int kPadding = -2;

constexpr std::array<int, 256> MakeTable() {
    std::array<int, 256> table{};
    table.fill(kSkip);
    constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<int>(i);
    table['='] = kPadding;
    return table;
}

constexpr std::array<int, 256> kTable = MakeTable();

}  // namespace

std::string DecodeBase64(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::array<int, 4> group{};
    std::size_t filled = 0;
    for (const char c : text) {
        const int value = kTable[static_cast<unsigned char>(c)];
        if (value == kSkip)
            continue;
        group[filled++] = value;
        if (filled < 4)
            continue;
        filled = 0;
        // The characters before the first padding carry 6 bits each.
        std::size_t digits = 0;
        while (digits < 4 && group[digits] != kPadding)
            ++digits;
        unsigned bits = 0;
        for (std::size_t i = 0; i < 4; ++i)
            bits = (bits << 6) | static_cast<unsigned>(i < digits ? group[i] : 0);
        const std::size_t count = digits == 4 ? 3 : (digits * 6) / 8;
        for (std::size_t i = 0; i < count; ++i)
            bytes += static_cast<char>((bits >> (16 - 8 * i)) & 0xff);
        if (digits < 4)
            break;
    }
    return bytes;
}
