#include "pages/SignalTimeAxis.h"

#include <algorithm>

#include "model/SignalHistory.h"

namespace {

// The first multiple of step at or after ms. Steps of whole seconds and
// minutes counted from the Unix epoch are whole in local time too, as time
// zones differ from UTC by whole minutes.
std::int64_t FirstMultiple(std::int64_t ms, std::int64_t step) {
    const std::int64_t below = ms / step * step;
    return below < ms ? below + step : below;
}

}  // namespace

SignalTimeAxis SignalTimeAxis::For(std::int64_t firstMs, std::int64_t lastMs) {
    SignalTimeAxis axis;
    axis.startMs = std::max(firstMs, lastMs - SignalHistory::kWindowMs);
    axis.endMs = std::max(lastMs, axis.startMs + kShortestMs);
    axis.stepMs = axis.endMs - axis.startMs <= kFineSpanMs ? kFineStepMs : kCoarseStepMs;
    for (std::int64_t tick = FirstMultiple(axis.startMs, axis.stepMs); tick <= axis.endMs;
         tick += axis.stepMs)
        axis.ticks.push_back(tick);
    return axis;
}
