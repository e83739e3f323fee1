#include "Encoding.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstdio>

std::string EncodeBase64Lines(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr std::size_t kLine = 76;
    std::string encoded;
    std::size_t column = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned value = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            value = (value << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            encoded += k <= n ? kAlphabet[(value >> (18 - 6 * k)) & 0x3f] : '=';
        }
        column += 4;
        if (column == kLine && i + 3 < bytes.size()) {
            encoded += '\n';
            column = 0;
        }
    }
    return encoded;
}

std::string Md5Hex(std::string_view bytes) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_md5(), nullptr);
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        std::array<char, 3> pair{};
        std::snprintf(pair.data(), pair.size(), "%02x", digest[i]);
        hex += pair.data();
    }
    return hex;
}

std::string Utf8ToLatin1(std::string_view text) {
    std::string latin1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            latin1 += static_cast<char>(byte);
        } else if ((byte == 0xC2 || byte == 0xC3) && i + 1 < text.size()) {
            latin1 += static_cast<char>(((byte & 0x03) << 6) | (text[++i] & 0x3F));
        } else if (byte >= 0xC0) {
            latin1 += '?';  // a lead byte; its continuation bytes are skipped below
        }
    }
    return latin1;
}
