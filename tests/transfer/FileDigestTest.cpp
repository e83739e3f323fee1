#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/md5.h>

#include <fstream>
#include <string>

#include "model/FileDigest.h"
#include "tests/link/TempDir.h"

namespace {

std::string WriteFile(const TempDir& dir, const std::string& name, const std::string& bytes) {
    const std::string path = (dir.Path() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + 7) % 256);
    return bytes;
}

}  // namespace

TEST(FileDigest, KnownDigestsInLowercase) {
    TempDir dir;
    EXPECT_EQ(DigestFile(WriteFile(dir, "empty", "")), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(DigestFile(WriteFile(dir, "abc", "abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(DigestFile(WriteFile(dir, "fox", "The quick brown fox jumps over the lazy dog")),
              "9e107d9d372bb6826bd81d3542a419d6");
}

TEST(FileDigest, ChunkBoundariesDoNotChangeTheDigest) {
    TempDir dir;
    for (const std::size_t size : {1023u, 1024u, 1025u, 4096u, 5000u}) {
        const std::string bytes = Pattern(size);
        unsigned char whole[MD5_DIGEST_LENGTH];
        EVP_Digest(bytes.data(), bytes.size(), whole, nullptr, EVP_md5(), nullptr);
        char hex[2 * MD5_DIGEST_LENGTH + 1];
        for (int i = 0; i < MD5_DIGEST_LENGTH; ++i)
            std::snprintf(hex + 2 * i, 3, "%02x", whole[i]);
        EXPECT_EQ(DigestFile(WriteFile(dir, "f" + std::to_string(size), bytes)), hex) << size;
    }
}

TEST(FileDigest, FileThatCannotBeOpenedHasNoDigest) {
    TempDir dir;
    EXPECT_FALSE(DigestFile((dir.Path() / "missing").string()).has_value());
}
