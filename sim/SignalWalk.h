#pragma once

#include <cstdint>
#include <optional>
#include <random>

// A signal that wanders as it does at a gateway carried about a site: the
// signal value takes a small random step every so often, staying between 5 and
// 28, now and then has no measurement (99) for one step, and the modem roams
// for a spell from time to time. The same seed gives the same walk.
class SignalWalk {
public:
    struct Reading {
        int signal;        // as AT+CSQ reports it
        int registration;  // as AT+CREG? reports it: 1 home, 5 roaming
    };

    SignalWalk(std::uint32_t seed, int stepMs);

    // The reading at `nowMs`; the walk starts at the first call and takes one
    // step every stepMs after it.
    Reading At(std::uint64_t nowMs);

private:
    void Step();
    int Draw(int choices);

    std::mt19937 random_;
    int stepMs_;
    std::optional<std::uint64_t> startMs_;
    std::uint64_t steps_ = 0;
    int level_ = 17;
    bool unmeasured_ = false;
    int roamingStepsLeft_ = 0;
};
