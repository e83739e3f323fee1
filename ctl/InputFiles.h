#pragma once

#include <istream>
#include <optional>
#include <string>

// The local files a command names, checked before the gateway is touched, so
// that the message names the file and the system's reason.

// Why `path` cannot be read ("No such file or directory", "Is a directory"),
// or nothing when it can be opened for reading.
std::optional<std::string> UnreadableFileReason(const std::string& path);

// Reads a whole file of at most kMaxXmlInputBytes, or `in` for "-". Returns 0
// or the errno of the failure (EFBIG for more).
int ReadInput(const std::string& path, std::istream& in, std::string& content);
