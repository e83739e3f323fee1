#pragma once

#include <functional>
#include <string>

#include "link/ScriptRunner.h"

// Plays the gateway: answers each job through `answer`, which sets the job's
// response and status, and keeps a copy of the script it was given.
class FakeScriptRunner : public ScriptRunner {
public:
    using Answer = std::function<void(CommandJob&)>;

    explicit FakeScriptRunner(Answer answer) : answer_(std::move(answer)) {}

    void Run(JobList& jobs) override {
        for (CommandJob& job : jobs) {
            if (job.GetCommand().empty()) {
                break;
            }
            answer_(job);
        }
        ran_ = jobs;
    }

    const JobList& Ran() const { return ran_; }

private:
    Answer answer_;
    JobList ran_;
};

// Marks the job as answered with `response`.
inline void Answer(CommandJob& job, std::string response) {
    job.SetResponse(std::move(response));
    job.SetStatus(CommandJob::kSucceeded);
    job.SetAnswered(true);
}

// Marks the job as refused: an ERROR status after `response`.
inline void Refuse(CommandJob& job, std::string response = {}) {
    job.SetResponse(std::move(response));
    job.SetStatus(CommandJob::kFailed);
    job.SetAnswered(true);
}
