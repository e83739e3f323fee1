#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// Owners for what libxml2 hands out, so that no early return can leak a tree
// or a string.
struct XmlDocFree {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
using XmlDocument = std::unique_ptr<xmlDoc, XmlDocFree>;

// Documents held by the model are shared: a group list handed out by the model
// keeps the tree it points into alive even after the tree has been replaced.
using SharedXmlDocument = std::shared_ptr<xmlDoc>;

// Replies and local files larger than this are refused before parsing. The
// gateway's whole settings tree is some tens of kilobytes; anything near this
// size is garbage or hostile.
inline constexpr std::size_t kMaxXmlInputBytes = 16u * 1024u * 1024u;

// Parses untrusted text: no network, no entity substitution, no DTD loading,
// no diagnostics on the terminal, blank text nodes kept. A document that
// declares a DTD, input over kMaxXmlInputBytes and malformed input all give no
// document; `reason` (when given) then says why, for whoever has to fix the
// sender: libxml2's first complaint with its line, or the reason the text was
// refused. `name` is only used in the parser's diagnostics.
//
// Text that is not UTF-8 and declares no encoding is read as ISO-8859-1, where
// every byte is a character: one accented byte in a stored value must not cost
// the whole document. The document then remembers that encoding, so it is
// written back in the same bytes.
XmlDocument ParseXmlText(std::string_view text, const char* name, std::string* reason = nullptr);

// Reads a whole local file of at most kMaxXmlInputBytes into `content`.
// Returns 0, EFBIG for a larger file, or the errno of another failure.
int ReadCappedFile(const std::string& path, std::string& content);

// The same for a local file (backups, the node settings file). An unreadable
// file gives no document.
XmlDocument ParseXmlFile(const std::string& path, std::string* reason = nullptr);

// The same for a data file published with the system (the providers'
// database), which names its DTD in a DOCTYPE: accepted as long as the
// DOCTYPE declares no entity; the DTD itself is never loaded. `reason` says
// why there is no document (the errno text when the file cannot be read).
XmlDocument ParseDataFile(const std::string& path, std::string& reason);
