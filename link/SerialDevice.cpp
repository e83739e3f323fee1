#include "link/SerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>

#include <utility>

namespace {

// The short wait: VTIME counts tenths of a second.
constexpr int kShortWaitMs = 100;
constexpr cc_t kShortWaitTenths = kShortWaitMs / 100;

long RetryInterrupted(auto call) {
    long result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

}  // namespace

SerialDevice::SerialDevice(SerialDevice&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

SerialDevice& SerialDevice::operator=(SerialDevice&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
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

bool SerialDevice::Open(const std::string& path) {
    Close();
    // O_NONBLOCK only for the open itself, so that a port without carrier
    // cannot hold it; reads rely on VTIME, which O_NONBLOCK would defeat.
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return Fail();
    if (!::isatty(fd_) || !Lock() || ::ioctl(fd_, TIOCEXCL) != 0) {
        const int error = errno;
        Close();
        error_ = error;
        return false;
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        Close();
        error_ = error;
        return false;
    }
    return true;
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
    // would otherwise keep the exclusive flag and lock us out on reopen.
    ::ioctl(fd_, TIOCNXCL);
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
    if (count < 0)
        Fail();
    return count;
}

long SerialDevice::WriteSome(const char* data, std::size_t size) {
    const long count = RetryInterrupted([&] { return ::write(fd_, data, size); });
    if (count < 0)
        Fail();
    return count;
}

bool SerialDevice::WriteAll(std::string_view data) {
    while (!data.empty()) {
        const long count = WriteSome(data.data(), data.size());
        if (count <= 0) {
            if (count == 0)
                error_ = EIO;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}
