#include "DocumentScanner.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// True when `text` from `pos` is a proper prefix of `word`: more bytes must arrive to decide.
bool CouldStillBe(std::string_view text, std::size_t pos, std::string_view word) {
    const std::string_view rest = text.substr(pos);
    return rest.size() < word.size() && word.substr(0, rest.size()) == rest;
}

}  // namespace

void DocumentScanner::Reset() {
    pos_ = 0;
    end_ = 0;
    depth_ = 0;
}

DocumentScanner::Result DocumentScanner::Scan(std::string_view text) {
    while (pos_ < text.size()) {
        const char c = text[pos_];
        if (c != '<') {
            // Before the root only blanks may appear; inside it, text is skipped.
            if (depth_ == 0 && !IsBlank(c)) {
                return Result::NotADocument;
            }
            ++pos_;
            continue;
        }
        switch (ScanMarkup(text)) {
            case Step::Incomplete:
                return Result::NeedMore;
            case Step::RootClosed:
                end_ = pos_;
                return Result::Complete;
            case Step::Advanced:
                break;
        }
    }
    return Result::NeedMore;
}

// Skips one construct that starts with '<' at pos_; pos_ stays there while it is incomplete.
DocumentScanner::Step DocumentScanner::ScanMarkup(std::string_view text) {
    struct Skipped {
        std::string_view open;
        std::string_view close;
    };
    static constexpr Skipped kSkipped[] = {
        {"<?", "?>"}, {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<!", ">"}};
    for (const Skipped& skipped : kSkipped) {
        if (CouldStillBe(text, pos_, skipped.open)) {
            return Step::Incomplete;
        }
        if (text.substr(pos_, skipped.open.size()) == skipped.open) {
            const std::size_t close = text.find(skipped.close, pos_ + skipped.open.size());
            if (close == std::string_view::npos) {
                return Step::Incomplete;
            }
            pos_ = close + skipped.close.size();
            return Step::Advanced;
        }
    }
    return ScanTag(text);
}

DocumentScanner::Step DocumentScanner::ScanTag(std::string_view text) {
    char quote = 0;
    for (std::size_t i = pos_ + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            const bool endTag = text[pos_ + 1] == '/';
            const bool selfClosing = text[i - 1] == '/';
            pos_ = i + 1;
            if (endTag) {
                --depth_;
                return depth_ <= 0 ? Step::RootClosed : Step::Advanced;
            }
            if (selfClosing) {
                return depth_ == 0 ? Step::RootClosed : Step::Advanced;
            }
            ++depth_;
            return Step::Advanced;
        }
    }
    return Step::Incomplete;
}
