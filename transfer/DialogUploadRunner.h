#pragma once

#include "transfer/UploadRunner.h"

class Clock;
class ModemPort;

// Uploads the way the program does: behind the modal "Uploading..." dialog,
// over the application's port, on top of whatever window is active.
class DialogUploadRunner : public UploadRunner {
public:
    DialogUploadRunner(ModemPort& port, Clock& clock) : port_(port), clock_(clock) {}

    UploadOutcome Upload(const std::string& localPath, UploadTarget target) override;

private:
    ModemPort& port_;
    Clock& clock_;
};
