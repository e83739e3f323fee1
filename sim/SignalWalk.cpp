#include "SignalWalk.h"

#include <algorithm>

namespace {

constexpr int kLowest = 5;
constexpr int kHighest = 28;
constexpr int kNoMeasurement = 99;
constexpr int kHome = 1;
constexpr int kRoaming = 5;
// About one step in 25 has no measurement; a roaming spell of 10 to 29 steps
// starts about once in 60 steps.
constexpr int kUnmeasuredOdds = 25;
constexpr int kRoamingOdds = 60;
constexpr int kShortestSpell = 10;
constexpr int kSpellSpread = 20;

}  // namespace

SignalWalk::SignalWalk(std::uint32_t seed, int stepMs)
    : random_(seed), stepMs_(std::max(1, stepMs)) {}

SignalWalk::Reading SignalWalk::At(std::uint64_t nowMs) {
    if (!startMs_)
        startMs_ = nowMs;
    const std::uint64_t due = nowMs > *startMs_ ? (nowMs - *startMs_) / stepMs_ : 0;
    while (steps_ < due) {
        Step();
        ++steps_;
    }
    return {unmeasured_ ? kNoMeasurement : level_, roamingStepsLeft_ > 0 ? kRoaming : kHome};
}

// The engine's output is defined by the standard, unlike the distributions',
// so the walk is the same wherever the simulator is built.
int SignalWalk::Draw(int choices) {
    return static_cast<int>(random_() % static_cast<std::uint32_t>(choices));
}

void SignalWalk::Step() {
    level_ = std::clamp(level_ + Draw(5) - 2, kLowest, kHighest);
    unmeasured_ = Draw(kUnmeasuredOdds) == 0;
    if (roamingStepsLeft_ > 0)
        --roamingStepsLeft_;
    else if (Draw(kRoamingOdds) == 0)
        roamingStepsLeft_ = kShortestSpell + Draw(kSpellSpread);
}
