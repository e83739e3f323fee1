// The restore file reader. Input: the file's bytes, written to a file of its own. A file that
// is accepted yields a request the gateway can read: markup from its first byte (or a kept
// declaration other than the plain one), no DTD, single quotes around every attribute value, and
// well-formed when parsed again. A refused file yields no request.

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "model/XmlDocument.h"
#include "transfer/ConfigBackup.h"

namespace {

// One file name per process, written for every input and removed at exit.
class InputFile {
public:
    InputFile() {
        char pattern[] = "/tmp/r7-restore-fuzz-XXXXXX";
        const int fd = ::mkstemp(pattern);
        FuzzCheck(fd >= 0, "a temporary file can be made");
        ::close(fd);
        path_ = pattern;
    }
    ~InputFile() { std::remove(path_.c_str()); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // A new file each time: ext4 flushes a file truncated and written again when it is
    // closed, which would slow the fuzzer to a few hundred inputs a second.
    const std::string& Write(std::string_view bytes) const {
        std::remove(path_.c_str());
        std::ofstream file(path_, std::ios::binary);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.close();
        FuzzCheck(file.good(), "the input can be written");
        return path_;
    }

private:
    std::string path_;
};

// The markup after a declaration kept because it names an encoding.
std::string_view Markup(std::string_view request) {
    if (!request.starts_with("<?xml")) {
        return request;
    }
    const std::size_t end = request.find("?>\n");
    FuzzCheck(end != std::string_view::npos, "a kept declaration ends on its own line");
    FuzzCheck(!request.starts_with("<?xml version=\"1.0\"?>\n"),
              "the plain declaration is never kept");
    return request.substr(end + 3);
}

void CheckRequest(const std::string& request) {
    const std::string_view markup = Markup(request);
    FuzzCheck(markup.starts_with("<"), "the request starts with markup");
    FuzzCheck(markup.find('"') == std::string_view::npos, "attribute values are in single quotes");
    // Parsing refuses a document with a DTD, so this also holds that none travels.
    FuzzCheck(ParseXmlText(request, "request.xml") != nullptr,
              "the request is well-formed and declares no DTD");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const InputFile input;
    const RestoreFile file = ReadRestoreFile(input.Write(FuzzText(data, size)));
    if (file.problem == RestoreFile::Problem::None) {
        CheckRequest(file.request);
    } else {
        FuzzCheck(file.request.empty(), "a refused file yields no request");
    }
    return 0;
}
