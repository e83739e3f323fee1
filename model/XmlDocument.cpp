#include "model/XmlDocument.h"

#include <libxml/parser.h>

#include <fstream>
#include <limits>

#include "model/ReplyText.h"

namespace {

// Untrusted input: nothing is fetched, no entity is expanded, and libxml2's
// complaints stay in the parser context instead of reaching the terminal.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

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

XmlDocument ParseChecked(std::string_view text, const char* name, std::string& reason) {
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
    if (document && xmlGetIntSubset(document.get()) != nullptr) {
        reason = "the document declares a DTD, which is not accepted";
        return nullptr;
    }
    return document;
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
    if (!ReadCappedFile(path, content)) {
        if (reason != nullptr) {
            *reason = "cannot read the file, or it is larger than " +
                      std::to_string(kMaxXmlInputBytes) + " bytes";
        }
        return nullptr;
    }
    return ParseXmlText(content, path.c_str(), reason);
}
