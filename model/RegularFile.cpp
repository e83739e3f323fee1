#include "model/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

std::string RegularFileOpen::Reason() const {
    if (notRegular)
        return "not a regular file (a named pipe, a device or a folder)";
    return std::strerror(error);
}

RegularFileOpen OpenRegularFile(const std::string& path) {
    OwnedFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &status) != 0)
        return {OwnedFd(-1), errno};
    if (!S_ISREG(status.st_mode))
        return {OwnedFd(-1), 0, true};
    ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    return {std::move(fd)};
}
