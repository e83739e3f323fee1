#include "InputFramer.h"

#include <algorithm>
#include <utility>

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// A command line or document longer than this is noise, not something the gateway keeps.
constexpr std::size_t kMaxCommand = 64 * 1024;
constexpr std::size_t kMaxDocument = 16 * 1024 * 1024;

}  // namespace

const char* KindName(ReceivedRecord::Kind kind) {
    switch (kind) {
        case ReceivedRecord::Kind::Command:
            return "command";
        case ReceivedRecord::Kind::Document:
            return "document";
        case ReceivedRecord::Kind::Data:
            return "data";
        case ReceivedRecord::Kind::Other:
            break;
    }
    return "other";
}

void InputFramer::Append(std::string_view bytes) {
    buffer_.append(bytes);
}

std::optional<ReceivedRecord> InputFramer::Next() {
    if (buffer_.empty()) {
        return std::nullopt;
    }
    switch (mode_) {
        case Mode::Document:
            return NextDocument();
        case Mode::Data:
            return NextData();
        case Mode::Command:
            break;
    }
    return NextCommand();
}

void InputFramer::ExpectDocument() {
    mode_ = Mode::Document;
    scanner_.Reset();
}

void InputFramer::ExpectData(std::size_t length) {
    mode_ = length > 0 ? Mode::Data : Mode::Command;
    dataRemaining_ = length;
}

std::string InputFramer::Abandon() {
    mode_ = Mode::Command;
    dataRemaining_ = 0;
    return std::exchange(buffer_, std::string());
}

ReceivedRecord InputFramer::Take(ReceivedRecord::Kind kind, std::size_t length) {
    ReceivedRecord record{kind, buffer_.substr(0, length)};
    buffer_.erase(0, length);
    return record;
}

std::optional<ReceivedRecord> InputFramer::NextCommand() {
    // Line ends that do not close a command (an empty line) are not a command.
    std::size_t blank = 0;
    while (blank < buffer_.size() && IsLineEnd(buffer_[blank])) {
        ++blank;
    }
    if (blank > 0) {
        return Take(ReceivedRecord::Kind::Other, blank);
    }
    std::size_t end = 0;
    while (end < buffer_.size() && !IsLineEnd(buffer_[end])) {
        ++end;
    }
    if (end == buffer_.size()) {
        if (buffer_.size() > kMaxCommand) {
            return Take(ReceivedRecord::Kind::Other, buffer_.size());
        }
        return std::nullopt;
    }
    // The line end, and the empty lines sent with it, belong to the command: "AT\r\n\r\n" is
    // one command, as the client wrote it.
    while (end < buffer_.size() && IsLineEnd(buffer_[end])) {
        ++end;
    }
    return Take(ReceivedRecord::Kind::Command, end);
}

std::optional<ReceivedRecord> InputFramer::NextDocument() {
    switch (scanner_.Scan(buffer_)) {
        case DocumentScanner::Result::Complete:
            mode_ = Mode::Command;
            return Take(ReceivedRecord::Kind::Document, scanner_.End());
        case DocumentScanner::Result::NotADocument:
            // The client sent a command instead of the announced document.
            mode_ = Mode::Command;
            return NextCommand();
        case DocumentScanner::Result::NeedMore:
            break;
    }
    if (buffer_.size() > kMaxDocument) {
        mode_ = Mode::Command;
        return Take(ReceivedRecord::Kind::Other, buffer_.size());
    }
    return std::nullopt;
}

std::optional<ReceivedRecord> InputFramer::NextData() {
    const std::size_t length = std::min(dataRemaining_, buffer_.size());
    dataRemaining_ -= length;
    if (dataRemaining_ == 0) {
        mode_ = Mode::Command;
    }
    return Take(ReceivedRecord::Kind::Data, length);
}
