#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "link/Clock.h"
#include "link/ModemPort.h"
#include "transfer/UploadRunner.h"
#include "transfer/UploadWorker.h"

// Runs uploads on a worker thread against a real port, as the "Uploading..."
// dialog does, but without a window; remembers what each upload reported.
class WorkerUploadRunner : public UploadRunner, UploadObserver {
public:
    WorkerUploadRunner(ModemPort& port, Clock& clock) : port_(port), clock_(clock) {}

    UploadOutcome Upload(const std::string& localPath, UploadTarget target) override {
        range_ = -1;
        steps_ = 0;
        UploadOutcome outcome = UploadOutcome::NotSent;
        std::thread worker([&] { outcome = RunUpload(port_, clock_, localPath, target, *this); });
        worker.join();
        outcomes_.push_back(outcome);
        return outcome;
    }

    // Of the last upload: the progress range (-1: never set) and the steps taken.
    int Range() const { return range_; }
    int Steps() const { return steps_; }
    const std::vector<UploadOutcome>& Outcomes() const { return outcomes_; }

private:
    void SetProgressRange(int maximum) override { range_ = maximum; }
    void StepProgress() override { ++steps_; }

    ModemPort& port_;
    Clock& clock_;
    std::atomic<int> range_{-1};
    std::atomic<int> steps_{0};
    std::vector<UploadOutcome> outcomes_;
};
