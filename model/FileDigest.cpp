#include "model/FileDigest.h"

#include <openssl/evp.h>

#include <array>
#include <cstdio>
#include <memory>

#include "model/RegularFile.h"

namespace {

constexpr std::size_t kChunkBytes = 1024;

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileClose>;

struct DigestContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;

std::string ToLowerHex(const unsigned char* bytes, unsigned int count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(count * 2);
    for (unsigned int i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0f];
    }
    return text;
}

}  // namespace

std::optional<std::string> DigestFile(const std::string& path) {
    RegularFileOpen opened = OpenRegularFile(path);
    if (opened.fd.Get() < 0)
        return std::nullopt;
    const File file(::fdopen(opened.fd.Get(), "rb"));
    if (!file)
        return std::nullopt;
    opened.fd.Release();  // the stream closes it now
    const DigestContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1)
        return std::nullopt;
    std::array<unsigned char, kChunkBytes> chunk{};
    for (;;) {
        const std::size_t count = std::fread(chunk.data(), 1, chunk.size(), file.get());
        if (count == 0)
            break;
        EVP_DigestUpdate(context.get(), chunk.data(), count);
    }
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1)
        return std::nullopt;
    return ToLowerHex(digest.data(), length);
}
