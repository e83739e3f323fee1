#pragma once

#include "ctl/ConsoleProgress.h"
#include "transfer/UploadRunner.h"

class Clock;
class ModemPort;

// Runs uploads on the calling thread, with their progress on standard error.
class ConsoleUploadRunner : public UploadRunner, private UploadObserver {
public:
    ConsoleUploadRunner(ModemPort& port, Clock& clock, ConsoleProgress& progress)
        : port_(port), clock_(clock), progress_(progress) {}

    UploadOutcome Upload(const std::string& localPath, UploadTarget target) override;

private:
    void SetProgressRange(int maximum) override;
    void StepProgress() override;

    ModemPort& port_;
    Clock& clock_;
    ConsoleProgress& progress_;
};
