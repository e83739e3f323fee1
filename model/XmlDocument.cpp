#include "model/XmlDocument.h"

#include <fcntl.h>
#include <libxml/parser.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>

#include "model/OwnedFd.h"
#include "model/ReplyText.h"

namespace {

// Untrusted input: nothing is fetched, no entity is expanded, and libxml2's
// complaints stay in the parser context instead of reaching the terminal.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

void IgnoreMessage(void*, const char*, ...) {}

// Encoding and I/O errors bypass the parser context and go to the generic
// handler, which prints to the terminal. The handler belongs to the calling
// thread, so it is set on every parse.
void SilenceGenericErrors() {
    xmlSetGenericErrorFunc(nullptr, IgnoreMessage);
}

struct ParserContextFree {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};
using ParserContext = std::unique_ptr<xmlParserCtxt, ParserContextFree>;

// "message (line N)", on one line: libxml2 ends its messages with a line feed
// and may add a second line naming the offending bytes.
std::string Describe(const xmlError& error) {
    std::string text = error.message != nullptr ? error.message : "not well-formed";
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    text.erase(text.find_last_not_of(' ') + 1);
    return text + " (line " + std::to_string(error.line) + ")";
}

// The first complaint names the cause; later ones are mostly its consequences
// ("premature end of data" after a tag mismatch).
void KeepFirstError(void* context, xmlErrorPtr error) {
    auto* reason = static_cast<std::string*>(static_cast<xmlParserCtxt*>(context)->_private);
    if (reason->empty() && error != nullptr) {
        *reason = Describe(*error);
    }
}

XmlDocument Read(std::string_view text, const char* name, const char* encoding,
                 std::string& reason) {
    reason.clear();
    ParserContext context(xmlNewParserCtxt());
    if (!context) {
        reason = "out of memory";
        return nullptr;
    }
    context->_private = &reason;
    SilenceGenericErrors();
    context->sax->serror = KeepFirstError;
    static_assert(kMaxXmlInputBytes <= std::numeric_limits<int>::max());
    XmlDocument document(xmlCtxtReadMemory(
        context.get(), text.data(), static_cast<int>(text.size()), name, encoding, kParseOptions));
    if (!document && reason.empty()) {
        reason = "not well-formed";
    }
    return document;
}

bool DeclaresEncoding(std::string_view text) {
    if (!text.starts_with("<?xml")) {
        return false;
    }
    return text.substr(0, text.find("?>")).find("encoding") != std::string_view::npos;
}

// A DOCTYPE that only names its DTD (which is never loaded) declares
// nothing that could expand; one that declares an entity could.
bool DeclaresEntities(xmlDoc* document) {
    const xmlDtd* dtd = xmlGetIntSubset(document);
    return dtd != nullptr && (dtd->entities != nullptr || dtd->pentities != nullptr);
}

XmlDocument ParseChecked(std::string_view text, const char* name, std::string& reason,
                         bool namedDtdAllowed = false) {
    if (text.empty()) {
        reason = "no XML document in the text";
        return nullptr;
    }
    if (text.size() > kMaxXmlInputBytes) {
        reason = "larger than " + std::to_string(kMaxXmlInputBytes) + " bytes";
        return nullptr;
    }
    XmlDocument document = Read(text, name, nullptr, reason);
    if (!document && !DeclaresEncoding(text) && !IsValidUtf8(text)) {
        document = Read(text, name, "ISO-8859-1", reason);
    }
    // Even unexpanded, a declared entity can be referenced many times and blow
    // up to gigabytes once the content is read; the gateway never sends a DTD.
    if (document && xmlGetIntSubset(document.get()) != nullptr &&
        (!namedDtdAllowed || DeclaresEntities(document.get()))) {
        reason = namedDtdAllowed ? "the document declares entities, which are not accepted"
                                 : "the document declares a DTD, which is not accepted";
        return nullptr;
    }
    return document;
}

}  // namespace

// A regular file over the cap is not read at all, and reading anything else
// stops just past it, so a device node that never ends cannot exhaust memory.
int ReadCappedFile(const std::string& path, std::string& content) {
    // Opened without waiting, so that a named pipe nobody writes to reads as
    // empty instead of hanging the caller.
    OwnedFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0) {
        return errno;
    }
    ::fcntl(file.Get(), F_SETFL, ::fcntl(file.Get(), F_GETFL) & ~O_NONBLOCK);
    struct stat status {};
    if (::fstat(file.Get(), &status) == 0 && S_ISREG(status.st_mode)) {
        if (static_cast<std::uint64_t>(status.st_size) > kMaxXmlInputBytes) {
            return EFBIG;
        }
        content.reserve(static_cast<std::size_t>(status.st_size));
    }
    char chunk[64 * 1024];
    while (content.size() <= kMaxXmlInputBytes) {
        const ssize_t got = ::read(file.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return errno;
        }
        if (got == 0) {
            break;
        }
        content.append(chunk, static_cast<std::size_t>(got));
    }
    return content.size() > kMaxXmlInputBytes ? EFBIG : 0;
}

XmlDocument ParseXmlText(std::string_view text, const char* name, std::string* reason) {
    std::string why;
    XmlDocument document = ParseChecked(text, name, why);
    if (reason != nullptr) {
        *reason = std::move(why);
    }
    return document;
}

XmlDocument ParseXmlFile(const std::string& path, std::string* reason) {
    std::string content;
    if (ReadCappedFile(path, content) != 0) {
        if (reason != nullptr) {
            *reason = "cannot read the file, or it is larger than " +
                      std::to_string(kMaxXmlInputBytes) + " bytes";
        }
        return nullptr;
    }
    return ParseXmlText(content, path.c_str(), reason);
}

XmlDocument ParseDataFile(const std::string& path, std::string& reason) {
    std::string content;
    if (const int error = ReadCappedFile(path, content)) {
        reason = error == EFBIG ? "larger than " + std::to_string(kMaxXmlInputBytes) + " bytes"
                                : std::string(std::strerror(error));
        return nullptr;
    }
    return ParseChecked(content, path.c_str(), reason, true);
}
