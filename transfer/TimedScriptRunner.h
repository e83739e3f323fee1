#pragma once

#include <cstdint>

#include "link/Clock.h"
#include "link/ScriptRunner.h"

// Runs scripts through another runner and notes how long the last one took. A
// script that restarts the gateway ends when the restarted gateway answered,
// so its run is how long the restart took, as the user waited for it.
class TimedScriptRunner : public ScriptRunner {
public:
    TimedScriptRunner(ScriptRunner& runner, Clock& clock) : runner_(runner), clock_(clock) {}

    void Run(JobList& jobs) override;
    // Whole seconds, rounded.
    std::uint64_t LastRunSeconds() const { return (lastRunMs_ + 500) / 1000; }

private:
    ScriptRunner& runner_;
    Clock& clock_;
    std::uint64_t lastRunMs_ = 0;
};
