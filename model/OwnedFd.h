#pragma once

#include <unistd.h>

// Closes the descriptor it holds, on every path out.
class OwnedFd {
public:
    explicit OwnedFd(int fd) : fd_(fd) {}
    ~OwnedFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    OwnedFd(OwnedFd&& other) noexcept : fd_(other.Release()) {}
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;

    int Get() const { return fd_; }
    // Hands the descriptor to another owner (a FILE stream, say).
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now, so that a failure to store the data can be told.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};
