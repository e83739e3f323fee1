#pragma once

#include <istream>
#include <optional>
#include <string>

// The local files a command names, checked before the gateway is touched, so
// that the message names the file and the system's reason.

// Why `path` cannot be read ("No such file or directory", "not a regular
// file..."), or nothing when it is a regular file that can be opened for
// reading. A named pipe is refused without waiting for a writer.
std::optional<std::string> UnreadableFileReason(const std::string& path);

// Reads a whole file of at most kMaxXmlInputBytes, or `in` for "-". Returns 0
// or the errno of the failure (EFBIG for more).
int ReadInput(const std::string& path, std::istream& in, std::string& content);

// Reads `in` to its end, but stops once it has given more than `limit` bytes,
// so that endless or huge input costs no more memory than that. Returns 0,
// EFBIG for more than `limit`, or EIO when the stream failed.
int ReadBoundedStream(std::istream& in, std::size_t limit, std::string& content);
