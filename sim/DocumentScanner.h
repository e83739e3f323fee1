#pragma once

#include <cstddef>
#include <string_view>

// Finds the end of a bare XML document in a byte stream that carries nothing after it: the
// document ends with the root element's end tag, or with the root itself when it is
// self-closing. The scan resumes where the previous call stopped, also inside an unfinished
// tag, comment or other construct, so a document that arrives in many reads is looked at
// once: the cost is linear in its length however it is cut.
class DocumentScanner {
public:
    enum class Result { NeedMore, Complete, NotADocument };

    // `text` is everything received since the document began; it only grows between calls.
    Result Scan(std::string_view text);
    // One past the document's last byte, valid after Complete.
    std::size_t End() const { return end_; }
    void Reset();

private:
    // Outcome of looking at one markup construct.
    enum class Step { Advanced, Incomplete, RootClosed };
    Step ScanMarkup(std::string_view text);
    Step SkipConstruct(std::string_view text);
    Step ScanTag(std::string_view text);
    Step Finish(std::size_t next, Step step);

    std::size_t pos_ = 0;  // start of the construct being looked at
    std::size_t end_ = 0;
    int depth_ = 0;
    // Inside the construct at pos_: where to look on (0: not begun), the delimiter that
    // closes a skipped construct (empty for a tag), and the quote open inside a tag.
    std::size_t resume_ = 0;
    std::string_view close_;
    char quote_ = 0;
};
