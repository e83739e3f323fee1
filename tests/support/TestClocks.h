#pragma once

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "link/Clock.h"

// A clock that only moves when someone sleeps on it (or the test advances
// it): a 360-second retry loop or a 20-second pause runs at once.
class ManualClock : public Clock {
public:
    std::uint64_t NowMs() override { return now_.load(); }

    void SleepMs(std::uint32_t ms) override {
        now_ += ms;
        ++sleeps_;
        if (onSleep)
            onSleep();
    }

    void Advance(std::uint64_t ms) { now_ += ms; }
    int Sleeps() const { return sleeps_.load(); }

    // Runs after every sleep, on the sleeping thread: lets a test change the
    // world "while" the code under test waits.
    std::function<void()> onSleep;

private:
    std::atomic<std::uint64_t> now_{1000};
    std::atomic<int> sleeps_{0};
};

// Real time multiplied by a factor: code that waits on real reads (which last
// up to 100 ms each) still reaches long deadlines quickly.
class ScaledClock : public Clock {
public:
    explicit ScaledClock(std::uint32_t factor) : factor_(factor) {}

    std::uint64_t NowMs() override {
        const auto elapsed = std::chrono::steady_clock::now() - origin_;
        return 1000 +
               std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() * factor_;
    }

    void SleepMs(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::microseconds(ms * 1000ULL / factor_));
        if (onSleep)
            onSleep();
    }

    std::function<void()> onSleep;

private:
    const std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
    const std::uint32_t factor_;
};

// Real time multiplied by one factor while the gateway's port exists and by
// another while it is gone: the link's long waits for a port that never comes
// back (five minutes of an install, six of a reopen) pass in a moment, while
// the exchanges around them keep their usual pace.
class AwayClock : public Clock {
public:
    AwayClock(std::string link, std::uint32_t present, std::uint32_t away)
        : link_(std::move(link)), present_(present), away_(away) {}

    std::uint64_t NowMs() override {
        const std::lock_guard lock(mutex_);
        const std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
        scaledUs_ +=
            static_cast<std::uint64_t>(
                std::chrono::duration_cast<std::chrono::microseconds>(now - last_).count()) *
            Factor();
        last_ = now;
        return 1000 + scaledUs_ / 1000;
    }

    void SleepMs(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::microseconds(ms * 1000ULL / Factor()));
    }

private:
    std::uint32_t Factor() const { return ::access(link_.c_str(), F_OK) == 0 ? present_ : away_; }

    const std::string link_;
    const std::uint32_t present_;
    const std::uint32_t away_;
    std::mutex mutex_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
    std::uint64_t scaledUs_ = 0;
};
