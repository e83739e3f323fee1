#pragma once

#include <string>

#include "link/CommandJob.h"
#include "link/PortWaitListener.h"

class ModemPort;
class ProgressIndicator;

// What the worker reports while it runs a script; the Qt dialog turns these
// into queued calls, tests record them.
// While the link waits for the port to come back, the observer may end the
// wait with ModemPort::CancelWait (from any thread).
class ScriptObserver : public PortWaitListener {
public:
    virtual void ShowJobText(const std::string& text) = 0;
    void WaitingForPort(bool) override {}
};

// Sum of the timeouts up to the first empty command, divided by 105: the
// progress range of a script (clamped to the 16 bits a progress bar holds).
int ProgressRange(const JobList& jobs);

// Runs the jobs in order on the calling thread until the end of the list or an
// empty command, storing each job's payload and status. Once the port is
// given up (a Send that waited in vain, a cancelled wait) the remaining jobs
// fail without being sent. True when the script lost the port (a Send gave up
// waiting for it, the wait was cancelled, or the port had gone and not come
// back when the script ended), so that whoever runs scripts for a person can
// say the gateway is not there.
bool RunScript(ModemPort& port, JobList& jobs, ScriptObserver& observer,
               ProgressIndicator& progress);
