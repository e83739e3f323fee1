#include "model/SignalSampler.h"

#include <algorithm>

#include "link/Clock.h"

namespace {

// How soon a stop or a shorter interval is noticed during a wait.
constexpr std::uint32_t kWaitSliceMs = 50;

}  // namespace

SignalSampler::SignalSampler(ModemPort& port, Clock& clock, Reports reports)
    : runner_(port), clock_(clock), reports_(std::move(reports)) {}

SignalSampler::~SignalSampler() {
    Stop();
}

void SignalSampler::Start() {
    if (thread_.joinable())
        return;
    stopping_.store(false);
    thread_ = std::thread(&SignalSampler::Loop, this);
}

void SignalSampler::Stop() {
    RequestStop();
    if (thread_.joinable())
        thread_.join();
}

void SignalSampler::Loop() {
    while (!stopping_.load()) {
        const std::uint64_t start = clock_.NowMs();
        const SignalSample sample = SampleSignal(runner_, UnixNowMs());
        if (runner_.Skipped()) {
            if (reports_.paused)
                reports_.paused();
            WaitMs(kBusyRetryMs);
            continue;
        }
        if (reports_.sampled)
            reports_.sampled(sample);
        const std::uint64_t spent = clock_.NowMs() - start;
        const std::uint32_t interval = intervalMs_.load();
        WaitMs(spent >= interval ? 0 : interval - static_cast<std::uint32_t>(spent));
    }
    if (reports_.stopped)
        reports_.stopped();
}

void SignalSampler::WaitMs(std::uint32_t ms) {
    const std::uint64_t start = clock_.NowMs();
    while (!stopping_.load()) {
        const std::uint64_t waited = clock_.NowMs() - start;
        if (waited >= ms || waited >= intervalMs_.load())
            return;
        clock_.SleepMs(
            std::min<std::uint32_t>(kWaitSliceMs, ms - static_cast<std::uint32_t>(waited)));
    }
}
