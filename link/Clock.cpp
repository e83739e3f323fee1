#include "link/Clock.h"

#include <chrono>
#include <thread>

namespace {

class SystemClock : public Clock {
public:
    std::uint64_t NowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

    void SleepMs(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

}  // namespace

Clock& Clock::System() {
    static SystemClock clock;
    return clock;
}
