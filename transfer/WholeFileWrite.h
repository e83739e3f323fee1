#pragma once

#include <string>

// Writes `data` as the whole content of `path` so that a failure (a full disk,
// a file size limit) never leaves half a file, nor spoils an older file of that
// name: the bytes go to a new file in the same directory, which replaces `path`
// only once it is complete and stored, keeping an older file's permissions. A
// path naming a device or a pipe is written in place and never replaced.
// Returns 0, or the errno of the failure; nothing new is left behind then.
// A file that holds secrets asks for OwnerOnly: the new file is readable and
// writable by its owner alone, whatever an older file of that name allowed (a
// device or pipe written in place keeps its own permissions). A file another
// program's user reads asks for EveryoneReads: 0644, whatever the umask.
enum class FileAccess { KeepOrDefault, OwnerOnly, EveryoneReads };
int WriteWholeFile(const std::string& path, const std::string& data,
                   FileAccess access = FileAccess::KeepOrDefault);
// The same for everything `source` holds, read from its start (a file that
// may be too large to hold in memory); `source` itself is left as it was.
int WriteWholeFileFrom(const std::string& path, int source,
                       FileAccess access = FileAccess::KeepOrDefault);
