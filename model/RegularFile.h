#pragma once

#include <string>

#include "model/OwnedFd.h"

// A local file opened for reading, only when it is a regular file. The open
// never waits: a named pipe nobody writes to would otherwise block it for
// ever, and a device or a pipe has no length to upload or digest.
struct RegularFileOpen {
    OwnedFd fd{-1};           // -1 when refused
    int error = 0;            // errno of a failed open
    bool notRegular = false;  // it opened, but is a pipe, a device or a folder

    // Why it was refused, as the system says it or "not a regular file".
    std::string Reason() const;
};

// Opens `path` read-only and checks what it is; a refused file's descriptor
// is already closed. The descriptor returned reads as a blocking one.
RegularFileOpen OpenRegularFile(const std::string& path);
