#include "link/Clock.h"

#include <poll.h>

#include <chrono>
#include <thread>

namespace {

bool PollFor(short events, int fd, int ms) {
    pollfd watched{fd, events, 0};
    return ::poll(&watched, 1, ms) > 0 && (watched.revents & events) != 0;
}

bool PollReadable(int fd, int ms) {
    return PollFor(POLLIN, fd, ms);
}

bool PollWritable(int fd, int ms) {
    return PollFor(POLLOUT, fd, ms);
}

class SystemClock : public Clock {
public:
    std::uint64_t NowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

    void SleepMs(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }

    bool WaitReadable(int fd, std::uint32_t ms) override {
        return PollReadable(fd, static_cast<int>(ms));
    }

    bool WaitWritable(int fd, std::uint32_t ms) override {
        return PollWritable(fd, static_cast<int>(ms));
    }
};

}  // namespace

bool Clock::WaitReadable(int fd, std::uint32_t ms) {
    if (PollReadable(fd, 0))
        return true;
    SleepMs(ms);
    return PollReadable(fd, 0);
}

bool Clock::WaitWritable(int fd, std::uint32_t ms) {
    if (PollWritable(fd, 0))
        return true;
    SleepMs(ms);
    return PollWritable(fd, 0);
}

Clock& Clock::System() {
    static SystemClock clock;
    return clock;
}
