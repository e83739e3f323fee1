#pragma once

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <csignal>
#include <filesystem>
#include <string>

// While it lives, writes of this process beyond `bytes` into a regular file
// fail with EFBIG instead of raising SIGXFSZ: a full disk, without a disk to
// fill. Devices such as /dev/full are not limited.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : previousHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        const rlimit limit{bytes, previous_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int);
};

// A device node of the test's own that behaves as /dev/full (every write fails
// with ENOSPC), made in `dir` so that a faulty rename can only ever replace
// this one. Empty when device nodes cannot be made here.
inline std::string MakeFullDevice(const std::filesystem::path& dir) {
    const std::filesystem::path node = dir / "full";
    if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        return {};
    return node.string();
}
