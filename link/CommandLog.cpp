#include "link/CommandLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "link/AsciiText.h"

namespace {

constexpr std::string_view kSeparator =
    "*******************************************************************************\r\n";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kHidden = "(hidden)";
constexpr std::string_view kSecretElements[] = {"password", "pin"};

// The secret element whose start tag begins at `at` (a '<'), or an empty name.
std::string_view SecretElementAt(std::string_view text, std::size_t at) {
    for (const std::string_view name : kSecretElements) {
        const std::size_t after = at + 1 + name.size();
        if (after < text.size() &&
            EqualsIgnoringAsciiCase(text.substr(at + 1, name.size()), name) &&
            std::string_view(" \t\r\n/>").find(text[after]) != std::string_view::npos)
            return name;
    }
    return {};
}

// Where the end tag of `name` begins at or after `from`; the text's end when
// it has none (a reply cut short hides its rest).
std::size_t EndTagOf(std::string_view text, std::string_view name, std::size_t from) {
    for (std::size_t at = text.find("</", from); at != std::string_view::npos;
         at = text.find("</", at + 2)) {
        if (EqualsIgnoringAsciiCase(text.substr(at + 2, name.size()), name))
            return at;
    }
    return text.size();
}

// The text with the content of every password and pin element replaced.
std::string WithoutSecrets(std::string_view text) {
    std::string shown;
    std::size_t copied = 0;
    for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at)) {
        const std::string_view name = SecretElementAt(text, at);
        const std::size_t tagEnd = text.find('>', at);
        if (name.empty() || tagEnd == std::string_view::npos || text[tagEnd - 1] == '/') {
            ++at;
            continue;
        }
        const std::size_t end = EndTagOf(text, name, tagEnd + 1);
        shown.append(text.substr(copied, tagEnd + 1 - copied)).append(kHidden);
        copied = at = end;
        if (end == text.size())
            break;
    }
    return shown.append(text.substr(copied));
}

std::string Reason(int error) {
    // O_NOFOLLOW reports a link at the final component as ELOOP, whose own
    // text speaks of too many levels of links.
    return error == ELOOP ? std::string("it is a symbolic link") : std::strerror(error);
}

// The log file's descriptor, opened without waiting (a named pipe nobody reads
// would block the open for ever) and checked to be a regular file that only
// its owner can read; -1 with *error set otherwise.
int OpenLogFile(const std::string& path, int* error) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK,
               S_IRUSR | S_IWUSR);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    struct stat status {};
    *error = ::fstat(fd, &status) != 0 ? errno : !S_ISREG(status.st_mode) ? EINVAL : 0;
    constexpr mode_t kPrivate = S_IRUSR | S_IWUSR;
    if (*error == 0 && (status.st_mode & 07777) != kPrivate && ::fchmod(fd, kPrivate) != 0)
        *error = errno;
    if (*error != 0) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

bool CommandLog::Open(const std::string& path, std::string* reason) {
    file_.reset();
    writeError_ = 0;
    int error = 0;
    const int fd = OpenLogFile(path, &error);
    if (fd >= 0) {
        file_.reset(::fdopen(fd, "a"));
        error = errno;
        if (!IsOpen())
            ::close(fd);
    }
    // A named pipe that nobody reads refuses the open with ENXIO.
    if (!IsOpen() && reason != nullptr)
        *reason = error == EINVAL || error == ENXIO ? "it is not a regular file" : Reason(error);
    return IsOpen();
}

bool CommandLog::OpenDescriptor(int fd) {
    file_.reset();
    writeError_ = 0;
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return false;
    file_.reset(::fdopen(copy, "a"));
    if (!IsOpen())
        ::close(copy);
    return IsOpen();
}

void CommandLog::Append(std::string_view text) {
    const std::string hidden = hideSecrets_ ? WithoutSecrets(text) : std::string();
    const std::string_view shown = hideSecrets_ ? std::string_view(hidden) : text;
    if (std::fwrite(shown.data(), 1, shown.size(), file_.get()) != shown.size() && writeError_ == 0)
        writeError_ = errno;
}

void CommandLog::AppendBlock(std::string_view heading, std::string_view body) {
    Append(heading);
    Append(kSeparator);
    Append(body);
    Append(kLineEnd);
    Append(kSeparator);
}

void CommandLog::Flush() {
    if (std::fflush(file_.get()) != 0 && writeError_ == 0)
        writeError_ = errno;
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
    Append(kSeparator);
    Append(title);
    Append(" ");
    Append(version);
    Append(" STARTED AT ");
    Append(when.data());
    Append(kSeparator);
    Flush();
}

void CommandLog::WriteCommand(std::string_view command) {
    if (!IsOpen())
        return;
    AppendBlock("COMMAND:\r\n", command);
    Flush();
}

void CommandLog::WriteRawResponse(std::string_view reply) {
    if (!IsOpen())
        return;
    AppendBlock("RAW RESPONSE:\r\n", reply);
    Flush();
}

void CommandLog::WriteParsedResponse(std::string_view payload, bool outcome) {
    if (!IsOpen())
        return;
    AppendBlock("PARSED RESPONSE:\r\n", payload);
    Append(outcome ? "PARSED RESULT: TRUE\r\n" : "PARSED RESULT: FALSE\r\n");
    Append(kSeparator);
    Flush();
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
    Append(line);
    Append(kSeparator);
    Flush();
}
