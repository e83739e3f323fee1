#include "model/RequestQuoting.h"

#include "model/RequestDocuments.h"

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The rest of the markup from `at` when `end` is kNone.
std::string_view Span(std::string_view markup, std::size_t at, std::size_t end) {
    return markup.substr(at, end == kNone ? kNone : end - at);
}

void AppendReplacing(std::string& out, std::string_view text, char from, std::string_view to) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t found = text.find(from, at);
        out.append(Span(text, at, found));
        if (found == kNone) {
            return;
        }
        out.append(to);
        at = found + 1;
    }
}

// A comment, CDATA section or instruction from its opening `begin` through its
// closing `end`; returns where the text after it starts.
std::size_t CopyVerbatim(std::string_view markup, std::size_t at, std::string_view begin,
                         std::string_view end, std::string& out) {
    const std::size_t close = markup.find(end, at + begin.size());
    const std::size_t next = close == kNone ? markup.size() : close + end.size();
    AppendReplacing(out, Span(markup, at, next), '"', "'");
    return next;
}

// An element tag from its '<' through its '>'. The serialiser writes attribute
// values in double quotes with any '"' inside as &quot;.
std::size_t CopyTag(std::string_view markup, std::size_t at, std::string& out) {
    while (at < markup.size()) {
        const std::size_t stop = markup.find_first_of("\">", at);
        if (stop == kNone || markup[stop] == '>') {
            const std::size_t next = stop == kNone ? markup.size() : stop + 1;
            out.append(Span(markup, at, next));
            return next;
        }
        out.append(Span(markup, at, stop)).append(1, '\'');
        const std::size_t close = markup.find('"', stop + 1);
        AppendReplacing(out, Span(markup, stop + 1, close), '\'', "&apos;");
        if (close == kNone) {
            return markup.size();
        }
        out.append(1, '\'');
        at = close + 1;
    }
    return at;
}

// A CDATA section becomes the text it holds, escaped: inside the section a
// double quote could only become a single quote, which would change the value
// sent back. A section cut short is taken up to the end of the markup.
std::size_t CopyCdataAsText(std::string_view markup, std::size_t at, std::string& out) {
    constexpr std::string_view kOpen = "<![CDATA[";
    constexpr std::string_view kClose = "]]>";
    const std::size_t close = markup.find(kClose, at + kOpen.size());
    out.append(EscapeMarkupValue(Span(markup, at + kOpen.size(), close)));
    return close == kNone ? markup.size() : close + kClose.size();
}

std::size_t CopyMarkup(std::string_view markup, std::size_t at, std::string& out) {
    const std::string_view rest = markup.substr(at);
    if (rest.starts_with("<!--")) {
        return CopyVerbatim(markup, at, "<!--", "-->", out);
    }
    if (rest.starts_with("<![CDATA[")) {
        return CopyCdataAsText(markup, at, out);
    }
    if (rest.starts_with("<?")) {
        return CopyVerbatim(markup, at, "<?", "?>", out);
    }
    return CopyTag(markup, at, out);
}

}  // namespace

std::string RequoteMarkup(std::string_view markup) {
    std::string out;
    out.reserve(markup.size() + markup.size() / 16);
    for (std::size_t at = 0; at < markup.size();) {
        const std::size_t stop = markup.find_first_of("<\"", at);
        out.append(Span(markup, at, stop));
        if (stop == kNone) {
            break;
        }
        if (markup[stop] == '"') {
            out.append("&quot;");
            at = stop + 1;
        } else {
            at = CopyMarkup(markup, stop, out);
        }
    }
    return out;
}
