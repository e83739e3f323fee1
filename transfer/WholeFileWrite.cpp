#include "transfer/WholeFileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <string_view>

#include "model/OwnedFd.h"

namespace {

constexpr std::size_t kCopyChunkBytes = 65536;

// Puts the content into the descriptor it is given; false with errno set.
using Filler = std::function<bool(int fd)>;

// A new file next to `target` that nobody else has opened; its name goes to
// `tempPath`, created with `mode` (less the umask). Returns the descriptor, or
// -1 with errno set.
int CreateSibling(const std::filesystem::path& target, mode_t mode, std::string& tempPath) {
    const std::string stem = "." + target.filename().string() + "." + std::to_string(::getpid());
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath =
            (target.parent_path() / (stem + "-" + std::to_string(attempt) + ".tmp")).string();
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.data() + done, data.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Copies `source` from its start, without moving its offset.
bool CopyAll(int source, int fd) {
    std::array<char, kCopyChunkBytes> chunk{};
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(source, chunk.data(), chunk.size(), offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        if (!WriteAll(fd, std::string_view(chunk.data(), static_cast<std::size_t>(got)))) {
            return false;
        }
        offset += got;
    }
}

// Fills the new file and makes it durable; errno tells why not.
bool StoreInto(OwnedFd& file, const Filler& fill, const struct stat* existing, FileAccess access) {
    if (existing != nullptr) {
        ::fchmod(file.Get(), existing->st_mode & 07777);
    } else if (access == FileAccess::EveryoneReads &&
               ::fchmod(file.Get(), S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH) != 0) {
        return false;
    }
    return fill(file.Get()) && ::fsync(file.Get()) == 0 && file.Close();
}

// Devices and pipes cannot be replaced by a file, and must not be.
int WriteInPlace(const std::string& path, const Filler& fill) {
    OwnedFd file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0 || !fill(file.Get()) || !file.Close()) {
        return errno;
    }
    return 0;
}

int WriteWith(const std::string& path, const Filler& fill, FileAccess access) {
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && (S_ISCHR(existing.st_mode) || S_ISBLK(existing.st_mode) ||
                   S_ISFIFO(existing.st_mode) || S_ISSOCK(existing.st_mode))) {
        return WriteInPlace(path, fill);
    }
    const bool ownerOnly = access == FileAccess::OwnerOnly;
    std::string tempPath;
    OwnedFd file(CreateSibling(path, ownerOnly ? S_IRUSR | S_IWUSR : 0666, tempPath));
    const bool created = file.Get() >= 0;
    const bool keepMode = exists && access == FileAccess::KeepOrDefault;
    if (!created || !StoreInto(file, fill, keepMode ? &existing : nullptr, access) ||
        ::rename(tempPath.c_str(), path.c_str()) != 0) {
        const int error = errno;
        if (created) {
            ::unlink(tempPath.c_str());
        }
        return error;
    }
    return 0;
}

}  // namespace

int WriteWholeFile(const std::string& path, const std::string& data, FileAccess access) {
    return WriteWith(
        path, [&data](int fd) { return WriteAll(fd, data); }, access);
}

int WriteWholeFileFrom(const std::string& path, int source, FileAccess access) {
    return WriteWith(
        path, [source](int fd) { return CopyAll(source, fd); }, access);
}
