#pragma once

#include <string>

#include "link/CommandJob.h"

class ModemPort;
class ProgressIndicator;

// What the worker reports while it runs a script; the Qt dialog turns these
// into queued calls, tests record them.
class ScriptObserver {
public:
    virtual ~ScriptObserver() = default;
    virtual void ShowJobText(const std::string& text) = 0;
};

// Sum of the timeouts up to the first empty command, divided by 105: the
// progress range of a script (clamped to the 16 bits a progress bar holds).
int ProgressRange(const JobList& jobs);

// Runs the jobs in order on the calling thread until the end of the list or an
// empty command, storing each job's payload and status.
void RunScript(ModemPort& port, JobList& jobs, ScriptObserver& observer, ProgressIndicator& progress);
