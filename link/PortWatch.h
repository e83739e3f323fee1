#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Clock;

// Notices when a serial port's path may have come or gone, without touching
// the device: an inotify watch on the directory that holds each path (its
// link or node), or, while that directory does not exist, on its nearest
// existing ancestor, so that a /dev/serial/by-id removed with the last USB
// serial device is watched again when it comes back. Owns the inotify
// descriptor and its watches; both go with the object.
//
// An event only says "look again": the owner checks the path itself.
class PortWatch {
public:
    explicit PortWatch(std::vector<std::string> paths);
    explicit PortWatch(const std::string& path) : PortWatch(std::vector<std::string>{path}) {}
    ~PortWatch();
    PortWatch(const PortWatch&) = delete;
    PortWatch& operator=(const PortWatch&) = delete;

    // False when inotify could not be set up: the owner falls back to looking
    // again on a slow timer.
    bool Active() const { return fd_ >= 0; }
    // Readable when events are pending, for poll or a socket notifier; -1
    // when not active.
    int Descriptor() const { return fd_; }

    // Reads every pending event and follows directories that came or went.
    // True when anything happened below the watched directories.
    bool Consume();
    // Waits up to ms (through the clock, so that tests need not wait for
    // real) for something to happen; true when it did.
    bool Wait(Clock& clock, std::uint32_t ms);

private:
    void Watch();

    std::vector<std::string> paths_;
    int fd_ = -1;
};
