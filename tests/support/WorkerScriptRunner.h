#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "link/ModemPort.h"
#include "link/ProgressIndicator.h"
#include "link/ScriptRunner.h"
#include "link/ScriptWorker.h"

// Runs scripts on a worker thread against a real port, as the progress dialog
// does, but without a window: the caller waits for the worker to finish.
class WorkerScriptRunner : public ScriptRunner, ScriptObserver, ProgressIndicator {
public:
    explicit WorkerScriptRunner(ModemPort& port) : port_(port) {}

    void Run(JobList& jobs) override {
        std::thread worker([&] { RunScript(port_, jobs, *this, *this); });
        worker.join();
    }

    const std::vector<std::string>& Texts() const { return texts_; }
    int Position() const override { return position_; }

private:
    void ShowJobText(const std::string& text) override { texts_.push_back(text); }
    void SetPosition(int position) override { position_ = position; }

    ModemPort& port_;
    std::vector<std::string> texts_;
    std::atomic<int> position_{0};
};
