#include "ctl/InputFiles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <iterator>

#include "model/OwnedFd.h"
#include "model/XmlDocument.h"

std::optional<std::string> UnreadableFileReason(const std::string& path) {
    const OwnedFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        return std::strerror(errno);
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0)
        return std::strerror(errno);
    if (S_ISDIR(status.st_mode))
        return std::strerror(EISDIR);
    return std::nullopt;
}

int ReadInput(const std::string& path, std::istream& in, std::string& content) {
    if (path != "-")
        return ReadCappedFile(path, content);
    content.assign(std::istreambuf_iterator<char>(in), {});
    if (in.bad())
        return EIO;
    return content.size() > kMaxXmlInputBytes ? EFBIG : 0;
}
