#pragma once

#include <optional>

#include "ctl/ConsoleProgress.h"
#include "ctl/StopSignals.h"
#include "transfer/UploadRunner.h"

class Clock;
class ModemPort;

// Runs uploads on the calling thread, with their progress on standard error.
// A stop signal during the data phase is held back until the upload has
// brought the gateway back to command mode (StopSignals.h).
class ConsoleUploadRunner : public UploadRunner, private UploadObserver {
public:
    ConsoleUploadRunner(ModemPort& port, Clock& clock, ConsoleProgress& progress)
        : port_(port), clock_(clock), progress_(progress) {}

    UploadOutcome Upload(const std::string& localPath, UploadTarget target) override;

private:
    void SetProgressRange(int maximum) override;
    void StepProgress() override;
    void DataPhase(bool running) override;
    bool StopRequested() override;

    ModemPort& port_;
    Clock& clock_;
    ConsoleProgress& progress_;
    std::optional<StopDeferral> deferral_;
};
