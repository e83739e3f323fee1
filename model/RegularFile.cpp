#include "model/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::string RegularFileOpen::Reason() const {
    if (notRegular)
        return "not a regular file (a named pipe, a device or a folder)";
    return std::strerror(error);
}

RegularFileOpen OpenRegularFile(const std::string& path) {
    RegularFileOpen file;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0) {
        file.error = errno;
    } else if (!S_ISREG(status.st_mode)) {
        file.notRegular = true;
    } else {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        file.fd = fd;
        return file;
    }
    if (fd >= 0)
        ::close(fd);
    return file;
}
