#pragma once

#include <cstdint>
#include <vector>

// Where the monitor's time axis starts and ends and where its ticks fall.
// The axis spans from the first sample, at least one minute, and grows with
// the samples up to the monitor's ten minutes, then scrolls. Ticks fall on
// whole 10 s while it spans two minutes or less, on whole minutes after, so
// that a tick keeps its time as the axis moves.
struct SignalTimeAxis {
    static constexpr std::int64_t kShortestMs = 60 * 1000;
    static constexpr std::int64_t kFineSpanMs = 2 * 60 * 1000;
    static constexpr std::int64_t kFineStepMs = 10 * 1000;
    static constexpr std::int64_t kCoarseStepMs = 60 * 1000;

    std::int64_t startMs = 0;
    std::int64_t endMs = 0;
    std::int64_t stepMs = kFineStepMs;
    std::vector<std::int64_t> ticks;  // Unix milliseconds, oldest first

    // For samples from firstMs to lastMs (Unix milliseconds).
    static SignalTimeAxis For(std::int64_t firstMs, std::int64_t lastMs);
};
