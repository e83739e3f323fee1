#include "link/SerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>

#include <atomic>
#include <utility>

namespace {

// The short wait: VTIME counts tenths of a second.
constexpr int kShortWaitMs = 100;
constexpr cc_t kShortWaitTenths = kShortWaitMs / 100;

// The descriptors held open, each stored as fd + 1 so that a zeroed slot is
// free: a signal handler reads them without locks. More devices than slots
// are never open at once (one port, or r7ctl metrics' eight, and discovery
// probes one at a time).
constexpr std::size_t kHeldSlots = 8;
std::atomic<int> gHeld[kHeldSlots];

void NoteHeld(int fd) {
    for (std::atomic<int>& slot : gHeld) {
        int free = 0;
        if (slot.compare_exchange_strong(free, fd + 1))
            return;
    }
}

void NoteReleased(int fd) {
    for (std::atomic<int>& slot : gHeld) {
        int held = fd + 1;
        if (slot.compare_exchange_strong(held, 0))
            return;
    }
}

long RetryInterrupted(auto call) {
    long result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

}  // namespace

SerialDevice::SerialDevice(SerialDevice&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      error_(other.error_),
      exclusive_(std::exchange(other.exclusive_, false)) {}

SerialDevice& SerialDevice::operator=(SerialDevice&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
        exclusive_ = std::exchange(other.exclusive_, false);
    }
    return *this;
}

SerialDevice::~SerialDevice() {
    Close();
}

bool SerialDevice::Fail() {
    error_ = errno;
    return false;
}

bool SerialDevice::Open(const std::string& path, const Acceptance& accept) {
    Close();
    // O_NONBLOCK stays on: the open cannot hang on a port without carrier,
    // and a write to a peer that stopped reading returns instead of blocking
    // for good. Reads wait in poll, not in read.
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return Fail();
    // The device is looked at before it is locked: a node that another
    // device (or another program's new pseudo-terminal) has taken must not
    // find itself busy for a moment because we looked.
    if (!::isatty(fd_) || !Accepted(accept) || !Lock() || !TakeExclusive()) {
        const int error = errno;
        Close();
        error_ = error;
        return false;
    }
    return true;
}

bool SerialDevice::Accepted(const Acceptance& accept) {
    if (!accept || accept(fd_))
        return true;
    errno = ENODEV;
    return false;
}

// Root opens a terminal despite another program's TIOCEXCL: that program's
// flag is left alone (and so is its port), only one set here is ever cleared.
bool SerialDevice::TakeExclusive() {
    int held = 0;
    if (::ioctl(fd_, TIOCGEXCL, &held) == 0 && held != 0) {
        errno = EBUSY;
        return false;
    }
    if (::ioctl(fd_, TIOCEXCL) != 0)
        return false;
    exclusive_ = true;
    NoteHeld(fd_);
    return true;
}

void SerialDevice::ReleaseAllHeld() {
    for (std::atomic<int>& slot : gHeld) {
        const int fd = slot.load() - 1;
        if (fd >= 0) {
            ::ioctl(fd, TIOCNXCL);
            ::flock(fd, LOCK_UN);
        }
    }
}

bool SerialDevice::Lock() {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
        return true;
    // Report a lock held elsewhere the way TIOCEXCL reports it.
    if (errno == EWOULDBLOCK)
        errno = EBUSY;
    return false;
}

void SerialDevice::Close() {
    if (fd_ < 0)
        return;
    // Another descriptor on the same terminal (a second open of a pty slave)
    // would otherwise keep the exclusive flag and lock us out on reopen. A
    // flag this descriptor did not set belongs to whoever holds the port.
    if (std::exchange(exclusive_, false)) {
        ::ioctl(fd_, TIOCNXCL);
        NoteReleased(fd_);
    }
    ::close(fd_);
    fd_ = -1;
}

bool SerialDevice::Lost() const {
    return fd_ < 0 || error_ == EIO || error_ == ENXIO || error_ == ENODEV;
}

bool SerialDevice::Configure() {
    termios settings{};
    if (::tcgetattr(fd_, &settings) != 0)
        return Fail();
    ::cfmakeraw(&settings);
    settings.c_iflag &= ~(IXOFF | IXANY);
    settings.c_cflag &= ~(CSTOPB | PARENB | CSIZE);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = kShortWaitTenths;
    if (::cfsetispeed(&settings, B115200) != 0 || ::cfsetospeed(&settings, B115200) != 0)
        return Fail();
    if (::tcsetattr(fd_, TCSANOW, &settings) != 0)
        return Fail();
    return true;
}

bool SerialDevice::InstallShortWait() {
    termios settings{};
    if (::tcgetattr(fd_, &settings) != 0)
        return Fail();
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = kShortWaitTenths;
    if (::tcsetattr(fd_, TCSANOW, &settings) != 0)
        return Fail();
    return true;
}

bool SerialDevice::DiscardInput() {
    if (::tcflush(fd_, TCIFLUSH) != 0)
        return Fail();
    return true;
}

long SerialDevice::Read(char* buffer, std::size_t size) {
    // poll ignores a negative descriptor and would wait out the short wait
    // as if the line were quiet: a closed port has failed, not gone silent.
    if (fd_ < 0) {
        error_ = EBADF;
        return -1;
    }
    // poll waits with millisecond precision (VTIME overshoots by a few
    // milliseconds per wait) and is what reports a hang-up: a hung-up
    // terminal reads 0 bytes forever, like a quiet one.
    pollfd line{fd_, POLLIN, 0};
    const long ready = RetryInterrupted([&] { return ::poll(&line, 1, kShortWaitMs); });
    if (ready < 0) {
        Fail();
        return -1;
    }
    if (line.revents & (POLLHUP | POLLERR | POLLNVAL)) {
        error_ = EIO;
        return -1;
    }
    if (ready == 0)
        return 0;
    const long count = RetryInterrupted([&] { return ::read(fd_, buffer, size); });
    if (count < 0 && errno == EAGAIN)
        return 0;
    if (count < 0)
        Fail();
    return count;
}

long SerialDevice::WriteSome(const char* data, std::size_t size) {
    if (fd_ < 0) {
        error_ = EBADF;
        return -1;
    }
    const long count = RetryInterrupted([&] { return ::write(fd_, data, size); });
    if (count < 0 && errno == EAGAIN)
        return 0;
    if (count < 0)
        Fail();
    return count;
}

bool SerialDevice::WaitWritable(int waitMs) {
    if (fd_ < 0) {
        error_ = EBADF;
        return false;
    }
    pollfd line{fd_, POLLOUT, 0};
    if (RetryInterrupted([&] { return ::poll(&line, 1, waitMs); }) < 0)
        return Fail();
    if (line.revents & (POLLHUP | POLLERR | POLLNVAL)) {
        error_ = EIO;
        return false;
    }
    return true;
}

void SerialDevice::DiscardOutput() {
    if (fd_ >= 0)
        ::tcflush(fd_, TCOFLUSH);
}
