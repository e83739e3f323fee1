#include "ctl/ConsoleUploadRunner.h"

UploadOutcome ConsoleUploadRunner::Upload(const std::string& localPath, UploadTarget target) {
    const UploadOutcome outcome = RunUpload(port_, clock_, localPath, target, *this);
    progress_.Finish();
    return outcome;
}

void ConsoleUploadRunner::SetProgressRange(int maximum) {
    progress_.Start(maximum);
    progress_.ShowJobText("Uploading...");
}

void ConsoleUploadRunner::StepProgress() {
    progress_.SetPosition(progress_.Position() + 1);
}

void ConsoleUploadRunner::DataPhase(bool running) {
    if (running)
        deferral_.emplace();
    else
        deferral_.reset();
}

bool ConsoleUploadRunner::StopRequested() {
    return StopSignalReceived() != 0;
}
