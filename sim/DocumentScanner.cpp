#include "DocumentScanner.h"

#include <algorithm>

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
    end_ = 0;
    depth_ = 0;
    Finish(0, Step::Advanced);
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

// Looks at the construct that starts with '<' at pos_; pos_ stays there while it is
// incomplete, and the next call goes on where this one stopped.
DocumentScanner::Step DocumentScanner::ScanMarkup(std::string_view text) {
    struct Skipped {
        std::string_view open;
        std::string_view close;
    };
    static constexpr Skipped kSkipped[] = {
        {"<?", "?>"}, {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<!", ">"}};
    if (resume_ == 0) {
        for (const Skipped& skipped : kSkipped) {
            if (CouldStillBe(text, pos_, skipped.open)) {
                return Step::Incomplete;
            }
            if (text.substr(pos_, skipped.open.size()) == skipped.open) {
                close_ = skipped.close;
                resume_ = pos_ + skipped.open.size();
                break;
            }
        }
        if (resume_ == 0) {
            resume_ = pos_ + 1;
        }
    }
    return close_.empty() ? ScanTag(text) : SkipConstruct(text);
}

DocumentScanner::Step DocumentScanner::SkipConstruct(std::string_view text) {
    const std::size_t close = text.find(close_, resume_);
    if (close == std::string_view::npos) {
        // The delimiter may already have begun in the last bytes.
        const std::size_t kept = std::min(text.size(), close_.size() - 1);
        resume_ = std::max(resume_, text.size() - kept);
        return Step::Incomplete;
    }
    return Finish(close + close_.size(), Step::Advanced);
}

DocumentScanner::Step DocumentScanner::ScanTag(std::string_view text) {
    for (; resume_ < text.size(); ++resume_) {
        const char c = text[resume_];
        if (quote_ != 0) {
            quote_ = c == quote_ ? 0 : quote_;
        } else if (c == '"' || c == '\'') {
            quote_ = c;
        } else if (c == '>') {
            const bool endTag = text[pos_ + 1] == '/';
            const bool selfClosing = text[resume_ - 1] == '/';
            const std::size_t next = resume_ + 1;
            if (endTag) {
                --depth_;
                return Finish(next, depth_ <= 0 ? Step::RootClosed : Step::Advanced);
            }
            if (selfClosing) {
                return Finish(next, depth_ == 0 ? Step::RootClosed : Step::Advanced);
            }
            ++depth_;
            return Finish(next, Step::Advanced);
        }
    }
    return Step::Incomplete;
}

// The construct ends just before `next`: the scan goes on from there.
DocumentScanner::Step DocumentScanner::Finish(std::size_t next, Step step) {
    pos_ = next;
    resume_ = 0;
    close_ = {};
    quote_ = 0;
    return step;
}
