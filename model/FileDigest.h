#pragma once

#include <optional>
#include <string>

// The MD5 digest of a whole local file as 32 lowercase hexadecimal characters,
// the form in which the gateway answers its digest query. No value when the
// file cannot be opened or is not a regular file; a read error part-way
// digests the bytes read so far.
std::optional<std::string> DigestFile(const std::string& path);
