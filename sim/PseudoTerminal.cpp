#include "PseudoTerminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

std::string Reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// A fresh tty echoes and translates line ends; the gateway's port passes bytes unchanged.
bool MakeRaw(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return false;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&settings, B115200);
    ::cfsetospeed(&settings, B115200);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

}  // namespace

PseudoTerminal::PseudoTerminal(std::string linkPath) : linkPath_(std::move(linkPath)) {}

PseudoTerminal::~PseudoTerminal() {
    Close();
}

bool PseudoTerminal::Open(std::string* error) {
    FileDescriptor master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    char slaveName[128] = {};
    if (!master.IsOpen() || ::grantpt(master.Get()) != 0 || ::unlockpt(master.Get()) != 0 ||
        ::ptsname_r(master.Get(), slaveName, sizeof slaveName) != 0) {
        *error = Reason("cannot create a pseudo-terminal");
        return false;
    }
    FileDescriptor slave(::open(slaveName, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave.IsOpen() || !MakeRaw(slave.Get())) {
        *error = Reason("cannot configure the pseudo-terminal");
        return false;
    }
    if (!Publish(slaveName, error)) {
        return false;
    }
    master_ = std::move(master);
    slave_ = std::move(slave);
    return true;
}

// Replaces the link in one step, and only a link: a file in its place is not ours to remove.
bool PseudoTerminal::Publish(const std::string& slaveName, std::string* error) {
    struct stat existing {};
    if (::lstat(linkPath_.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        *error = linkPath_ + " exists and is not a symbolic link";
        return false;
    }
    const std::string temporary = linkPath_ + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(slaveName.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), linkPath_.c_str()) != 0) {
        *error = Reason(("cannot publish " + linkPath_).c_str());
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void PseudoTerminal::Close() {
    if (!master_.IsOpen()) {
        return;
    }
    ::unlink(linkPath_.c_str());
    slave_.Reset();
    master_.Reset();
}

void PseudoTerminal::WaitUntilRead(int maxMs) const {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(maxMs);
    // Written bytes reach the slave's queue a moment after the write returns.
    std::this_thread::sleep_for(milliseconds(10));
    int unread = 0;
    while (::ioctl(slave_.Get(), FIONREAD, &unread) == 0 && unread > 0 &&
           steady_clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(5));
    }
}
