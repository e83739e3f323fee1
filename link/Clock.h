#pragma once

#include <cstdint>

// Source of time for the link and the workers. Injected so that tests can run a
// 20-second pause or a silent gateway without waiting for real.
class Clock {
public:
    virtual ~Clock() = default;

    // Monotonic milliseconds since an arbitrary start.
    virtual std::uint64_t NowMs() = 0;
    virtual void SleepMs(std::uint32_t ms) = 0;
    // Waits up to ms for the descriptor to become readable; true when it is.
    // A clock whose time is not real sleeps its own way and looks afterwards.
    virtual bool WaitReadable(int fd, std::uint32_t ms);
    // The same for room to write.
    virtual bool WaitWritable(int fd, std::uint32_t ms);

    // The real, monotonic clock.
    static Clock& System();
};
