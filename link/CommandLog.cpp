#include "link/CommandLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string>

namespace {

constexpr std::string_view kSeparator =
    "*******************************************************************************\r\n";
constexpr std::string_view kLineEnd = "\r\n";

void Append(std::FILE* file, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), file);
}

void AppendBlock(std::FILE* file, std::string_view heading, std::string_view body) {
    Append(file, heading);
    Append(file, kSeparator);
    Append(file, body);
    Append(file, kLineEnd);
    Append(file, kSeparator);
}

}  // namespace

bool CommandLog::Open(const std::string& path, std::string* reason) {
    file_.reset();
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    int error = errno;
    if (fd >= 0) {
        file_.reset(::fdopen(fd, "a"));
        error = errno;
        if (!IsOpen())
            ::close(fd);
    }
    if (!IsOpen() && reason != nullptr) {
        // O_NOFOLLOW reports a link at the final component as ELOOP, whose own
        // text speaks of too many levels of links.
        *reason = error == ELOOP ? std::string("it is a symbolic link") : std::strerror(error);
    }
    return IsOpen();
}

bool CommandLog::OpenDescriptor(int fd) {
    file_.reset();
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return false;
    file_.reset(::fdopen(copy, "a"));
    if (!IsOpen())
        ::close(copy);
    return IsOpen();
}

bool CommandLog::IsOpen() const {
    return file_ != nullptr;
}

void CommandLog::Close() {
    file_.reset();
}

void CommandLog::WriteStartBlock(std::string_view title, std::string_view version,
                                 std::time_t now) {
    if (!IsOpen())
        return;
    // ctime's own buffer is shared between threads; ctime_r is not.
    std::array<char, 64> when{};
    if (::ctime_r(&now, when.data()) == nullptr)
        when[0] = '\0';
    Append(file_.get(), kSeparator);
    Append(file_.get(), title);
    Append(file_.get(), " ");
    Append(file_.get(), version);
    Append(file_.get(), " STARTED AT ");
    Append(file_.get(), when.data());
    Append(file_.get(), kSeparator);
    std::fflush(file_.get());
}

void CommandLog::WriteCommand(std::string_view command) {
    if (!IsOpen())
        return;
    AppendBlock(file_.get(), "COMMAND:\r\n", command);
    std::fflush(file_.get());
}

void CommandLog::WriteRawResponse(std::string_view reply) {
    if (!IsOpen())
        return;
    AppendBlock(file_.get(), "RAW RESPONSE:\r\n", reply);
    std::fflush(file_.get());
}

void CommandLog::WriteParsedResponse(std::string_view payload, bool outcome) {
    if (!IsOpen())
        return;
    AppendBlock(file_.get(), "PARSED RESPONSE:\r\n", payload);
    Append(file_.get(), outcome ? "PARSED RESULT: TRUE\r\n" : "PARSED RESULT: FALSE\r\n");
    Append(file_.get(), kSeparator);
    std::fflush(file_.get());
}

void CommandLog::WriteCutShort(std::size_t bufferBytes) {
    WriteCut("RESPONSE CUT SHORT: the reply filled its " + std::to_string(bufferBytes) +
             "-byte buffer without a final OK or ERROR\r\n");
}

void CommandLog::WriteCutAtNul(std::size_t lostBytes) {
    WriteCut("RESPONSE CUT AT A NUL BYTE: " + std::to_string(lostBytes) +
             " bytes from the NUL on are not part of the reply\r\n");
}

void CommandLog::WriteCut(const std::string& line) {
    if (!IsOpen())
        return;
    Append(file_.get(), line);
    Append(file_.get(), kSeparator);
    std::fflush(file_.get());
}
