#pragma once

#include "ctl/ConsoleProgress.h"
#include "link/ScriptRunner.h"

class ModemPort;

// Runs scripts on the calling thread, with their progress on standard error:
// a command-line tool has no window to keep responsive.
class ConsoleScriptRunner : public ScriptRunner {
public:
    ConsoleScriptRunner(ModemPort& port, ConsoleProgress& progress)
        : port_(port), progress_(progress) {}

    void Run(JobList& jobs) override;

    // True once a script lost the port (a Send gave up, or the port had gone
    // when the script ended).
    bool LostPort() const { return lostPort_; }

private:
    ModemPort& port_;
    ConsoleProgress& progress_;
    bool lostPort_ = false;
};
