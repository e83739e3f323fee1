#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "link/BackgroundScriptRunner.h"
#include "model/SignalSample.h"

class Clock;
class ModemPort;

// Samples the signal on its own thread every interval, between the scripts
// people start: while another worker holds the port the sample waits (and
// Paused is reported) and is taken as soon as the port is free. The reports
// come on the sampling thread; whoever shows them passes them on.
class SignalSampler {
public:
    struct Reports {
        std::function<void(const SignalSample&)> sampled;
        std::function<void()> paused;
        // Last, once a stop has been asked for and no sample is under way.
        std::function<void()> stopped;
    };

    // A paused sample is tried again this often.
    static constexpr std::uint32_t kBusyRetryMs = 100;

    SignalSampler(ModemPort& port, Clock& clock, Reports reports);
    // Stops (see Stop).
    ~SignalSampler();
    SignalSampler(const SignalSampler&) = delete;
    SignalSampler& operator=(const SignalSampler&) = delete;

    // The first sample is taken at once.
    void Start();
    // Returns at once; the thread ends after the sample under way, if any,
    // and reports stopped.
    void RequestStop() { stopping_.store(true); }
    // Returns once the thread has ended; a sample under way is finished first.
    void Stop();
    // Takes effect from the next wait.
    void SetIntervalMs(std::uint32_t intervalMs) { intervalMs_.store(intervalMs); }

private:
    void Loop();
    void WaitMs(std::uint32_t ms);

    BackgroundScriptRunner runner_;
    Clock& clock_;
    Reports reports_;
    std::atomic<std::uint32_t> intervalMs_{2000};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
