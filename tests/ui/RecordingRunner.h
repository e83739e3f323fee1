#pragma once

#include <functional>
#include <vector>

#include "link/ScriptRunner.h"

// Runs no dialog: keeps each script and lets the test fill in the gateway's
// answers.
class RecordingRunner : public ScriptRunner {
public:
    std::vector<JobList> scripts;
    std::function<void(JobList&)> answer;

    void Run(JobList& jobs) override {
        if (answer)
            answer(jobs);
        scripts.push_back(jobs);
    }
};
