#pragma once

#include <string>
#include <string_view>

// Base64 (standard alphabet, padded) with a line break after every 76 characters, as the
// gateway sends file contents.
std::string EncodeBase64Lines(std::string_view bytes);
// MD5 of the bytes as 32 lowercase hexadecimal characters.
std::string Md5Hex(std::string_view bytes);
// UTF-8 text as ISO-8859-1 bytes; characters beyond U+00FF become '?'.
std::string Utf8ToLatin1(std::string_view text);
