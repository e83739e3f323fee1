#include "UploadSession.h"

#include <charconv>

namespace {

// Larger files do not fit in the gateway's flash.
constexpr std::size_t kCapacity = 32 * 1024 * 1024;

bool ParseLength(const std::string& text, std::size_t& length) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, length);
    return ec == std::errc() && ptr == end && !text.empty() && length <= kCapacity;
}

}  // namespace

bool UploadSession::Advance(Step expected, Step next) {
    if (step_ != expected) {
        Reset();
        return false;
    }
    step_ = next;
    return true;
}

bool UploadSession::Announce(const std::string& length) {
    Reset();
    if (!ParseLength(length, length_)) {
        return false;
    }
    step_ = Step::Announced;
    return true;
}

bool UploadSession::ConfirmLength(const std::string& length) {
    std::size_t confirmed = 0;
    if (!ParseLength(length, confirmed) || confirmed != length_) {
        Reset();
        return false;
    }
    return Advance(Step::Announced, Step::Confirmed);
}

bool UploadSession::SetQuotedPath(const std::string& path) {
    const bool quoted = path.size() >= 2 && path.front() == '"' && path.back() == '"';
    const std::string bare = quoted ? path.substr(1, path.size() - 2) : std::string();
    if (!quoted || !FileStore::IsValidPath(bare)) {
        Reset();
        return false;
    }
    path_ = bare;
    return Advance(Step::Confirmed, Step::Named);
}

bool UploadSession::CheckPath(const std::string& path) {
    if (path != path_) {
        Reset();
        return false;
    }
    return Advance(Step::Named, Step::Checked);
}

bool UploadSession::StartData() {
    data_.clear();
    return Advance(Step::Checked, length_ > 0 ? Step::Receiving : Step::Received);
}

void UploadSession::AddData(std::string_view bytes) {
    if (step_ != Step::Receiving) {
        return;
    }
    data_.append(bytes);
    if (data_.size() >= length_) {
        step_ = Step::Received;
    }
}

void UploadSession::Cut() {
    if (step_ == Step::Receiving) {
        step_ = Step::Received;
    }
}

bool UploadSession::Finish(const std::string& length, FileStore& files) {
    std::size_t closing = 0;
    const bool received = step_ == Step::Received;
    const bool complete =
        received && ParseLength(length, closing) && closing == length_ && data_.size() == length_;
    // A cut upload still leaves what arrived, as flash writes do; the digest tells.
    if (received) {
        files.Put(path_, std::move(data_));
    }
    Reset();
    return complete;
}

void UploadSession::Reset() {
    step_ = Step::Idle;
    length_ = 0;
    path_.clear();
    data_.clear();
}
