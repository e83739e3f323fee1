#pragma once

#include "link/CommandJob.h"

// What pages use to run a script. The program's runner shows the
// "Communicating..." dialog while a worker runs the jobs; tests run scripts
// without a person. Run returns after every job has run (or the script ended
// at an empty command); the caller then reads the results from the same list.
class ScriptRunner {
public:
    virtual ~ScriptRunner() = default;
    virtual void Run(JobList& jobs) = 0;
    // After Run: the script lost the gateway's port and the user has already
    // been told so, so that the caller need not say it again.
    virtual bool ToldLostPort() const { return false; }
};
