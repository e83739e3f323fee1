#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "model/SignalSample.h"

// The samples of the last few minutes, oldest first: what the monitor plots.
// Older samples drop out as new ones come, so a monitor left running for days
// holds no more than one window's worth.
class SignalHistory {
public:
    static constexpr std::int64_t kWindowMs = 10 * 60 * 1000;
    // Also a bound on the count, should the wall clock jump back.
    static constexpr std::size_t kMaxSamples = 3600;

    void Add(const SignalSample& sample);
    const std::deque<SignalSample>& Samples() const { return samples_; }

    // The level of the newest sample; none when it was lost or not measured.
    std::optional<int> CurrentDbm() const;
    // Over the measured samples of the window; none when there is none.
    std::optional<int> MinDbm() const;
    std::optional<int> MaxDbm() const;
    std::optional<double> AverageDbm() const;

private:
    std::deque<SignalSample> samples_;
};
