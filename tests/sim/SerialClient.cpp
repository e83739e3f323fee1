#include "SerialClient.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool EndsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

SerialClient::SerialClient(const std::string& path)
    : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    termios settings{};
    if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
        ::cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(fd_, TCSANOW, &settings);
    }
}

SerialClient::~SerialClient() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void SerialClient::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            pollfd ready{fd_, POLLOUT, 0};
            if (::poll(&ready, 1, 1000) <= 0 || (ready.revents & (POLLERR | POLLHUP)) != 0) {
                return;
            }
            continue;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

template <typename Done>
std::string SerialClient::ReadWhileNot(Done done, int timeoutMs) {
    std::string bytes;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done(bytes)) {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, RemainingMs(deadline)) <= 0 || (ready.revents & POLLIN) == 0) {
            break;
        }
        char buffer[65536];
        const ssize_t count = ::read(fd_, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
}

std::string SerialClient::ReadReply(int timeoutMs) {
    return ReadWhileNot(
        [](const std::string& bytes) {
            const std::size_t line = bytes.rfind("\r\n", bytes.size() < 3 ? 0 : bytes.size() - 3);
            const bool extendedError = EndsWith(bytes, "\r\n") && line != std::string::npos &&
                                       bytes.compare(line + 2, 5, "+CME ") == 0;
            return EndsWith(bytes, "\r\nOK\r\n") || EndsWith(bytes, "\r\nERROR\r\n") ||
                   extendedError;
        },
        timeoutMs);
}

std::string SerialClient::ReadUntil(std::string_view tail, int timeoutMs) {
    return ReadWhileNot([tail](const std::string& bytes) { return EndsWith(bytes, tail); },
                        timeoutMs);
}

std::string SerialClient::Exchange(std::string_view command, int timeoutMs) {
    Write(command);
    return ReadReply(timeoutMs);
}

std::string SerialClient::ReadFor(int ms) {
    return ReadWhileNot([](const std::string&) { return false; }, ms);
}

bool SerialClient::WaitForHangup(int timeoutMs) {
    pollfd ready{fd_, POLLIN, 0};
    return ::poll(&ready, 1, timeoutMs) > 0 && (ready.revents & POLLHUP) != 0;
}
