#include "link/PortWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <system_error>

#include "link/Clock.h"

namespace {

// A link or node made, removed or renamed; IN_ATTRIB because udev sets a new
// node's permissions after creating it, and the open fails until then.
constexpr std::uint32_t kEntryEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;
constexpr std::uint32_t kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF;
// Events after which another directory may be the one to watch. Watches are
// only ever added: the kernel drops the watch of a removed directory itself,
// and removing one here would queue an event that starts this over.
constexpr std::uint32_t kMoveOnEvents = kSelfEvents | IN_IGNORED | IN_ISDIR;

// The directory holding path, or its nearest ancestor that exists now.
std::filesystem::path NearestDirectory(const std::string& path) {
    std::filesystem::path dir = std::filesystem::path(path).parent_path();
    std::error_code error;
    while (!std::filesystem::is_directory(dir, error) && dir.has_relative_path())
        dir = dir.parent_path();
    return dir.empty() ? std::filesystem::path(".") : dir;
}

}  // namespace

PortWatch::PortWatch(std::vector<std::string> paths)
    : paths_(std::move(paths)), fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    Watch();
}

PortWatch::~PortWatch() {
    if (fd_ >= 0)
        ::close(fd_);  // removes every watch with it
}

void PortWatch::Watch() {
    if (fd_ < 0)
        return;
    for (const std::string& path : paths_)
        ::inotify_add_watch(fd_, NearestDirectory(path).c_str(),
                            kEntryEvents | kSelfEvents | IN_ONLYDIR);
}

bool PortWatch::Consume() {
    if (fd_ < 0)
        return false;
    alignas(inotify_event) std::array<char, 4096> buffer{};
    bool happened = false;
    bool moveOn = false;
    for (;;) {
        const ssize_t count = ::read(fd_, buffer.data(), buffer.size());
        if (count <= 0)
            break;
        for (ssize_t at = 0; at < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            moveOn = moveOn || (event->mask & kMoveOnEvents) != 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
        happened = true;
    }
    if (moveOn)
        Watch();
    return happened;
}

bool PortWatch::Wait(Clock& clock, std::uint32_t ms) {
    if (fd_ < 0) {
        clock.SleepMs(ms);
        return false;
    }
    return clock.WaitReadable(fd_, ms) && Consume();
}
