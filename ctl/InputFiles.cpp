#include "ctl/InputFiles.h"

#include <cerrno>

#include "model/RegularFile.h"
#include "model/XmlDocument.h"

std::optional<std::string> UnreadableFileReason(const std::string& path) {
    const RegularFileOpen file = OpenRegularFile(path);
    if (file.fd.Get() < 0)
        return file.Reason();
    return std::nullopt;
}

int ReadInput(const std::string& path, std::istream& in, std::string& content) {
    if (path != "-")
        return ReadCappedFile(path, content);
    return ReadBoundedStream(in, kMaxXmlInputBytes, content);
}

int ReadBoundedStream(std::istream& in, std::size_t limit, std::string& content) {
    content.clear();
    char chunk[64 * 1024];
    while (content.size() <= limit && in.read(chunk, sizeof chunk).gcount() > 0)
        content.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return EIO;
    return content.size() > limit ? EFBIG : 0;
}
