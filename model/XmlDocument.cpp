#include "model/XmlDocument.h"

#include <libxml/parser.h>

#include <fstream>
#include <limits>

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

// A file that cannot be read or is larger than the cap reads as false. Reading
// stops at the cap, so a device node that never ends cannot exhaust memory.
bool ReadCappedFile(const std::string& path, std::string& content) {
    std::ifstream file(path, std::ios::binary);
    char chunk[64 * 1024];
    while (file && content.size() <= kMaxXmlInputBytes) {
        file.read(chunk, sizeof chunk);
        content.append(chunk, static_cast<std::size_t>(file.gcount()));
    }
    return file.eof() && !file.bad() && content.size() <= kMaxXmlInputBytes;
}

}  // namespace

XmlDocument ParseXmlText(std::string_view text, const char* name) {
    if (text.empty() || text.size() > kMaxXmlInputBytes) {
        return nullptr;
    }
    static_assert(kMaxXmlInputBytes <= std::numeric_limits<int>::max());
    SilenceGenericErrors();
    XmlDocument document(
        xmlReadMemory(text.data(), static_cast<int>(text.size()), name, nullptr, kParseOptions));
    // Even unexpanded, a declared entity can be referenced many times and blow
    // up to gigabytes once the content is read; the gateway never sends a DTD.
    if (document && xmlGetIntSubset(document.get()) != nullptr) {
        return nullptr;
    }
    return document;
}

XmlDocument ParseXmlFile(const std::string& path) {
    std::string content;
    if (!ReadCappedFile(path, content)) {
        return nullptr;
    }
    return ParseXmlText(content, path.c_str());
}
