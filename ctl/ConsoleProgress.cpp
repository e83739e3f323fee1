#include "ctl/ConsoleProgress.h"

#include <unistd.h>

#include <algorithm>

namespace {

constexpr int kBarWidth = 30;
constexpr std::size_t kTextWidth = 45;

}  // namespace

ConsoleProgress::ConsoleProgress(std::FILE* stream)
    : stream_(stream), enabled_(stream != nullptr && ::isatty(::fileno(stream)) == 1) {}

void ConsoleProgress::Start(int range) {
    range_ = std::max(range, 1);
    position_ = 0;
    text_.clear();
}

void ConsoleProgress::Finish() {
    if (!enabled_)
        return;
    std::fprintf(stream_, "\r\033[K");
    std::fflush(stream_);
}

void ConsoleProgress::ShowJobText(const std::string& text) {
    text_ = text.substr(0, kTextWidth);
    Draw();
}

void ConsoleProgress::SetPosition(int position) {
    const bool changed = position != position_;
    position_ = position;
    if (changed)
        Draw();
}

void ConsoleProgress::Draw() {
    if (!enabled_)
        return;
    const int filled = std::clamp(position_ * kBarWidth / range_, 0, kBarWidth);
    std::fprintf(stream_, "\r\033[K[%s%s] %s", std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, ' ').c_str(), text_.c_str());
    std::fflush(stream_);
}
