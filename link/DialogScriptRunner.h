#pragma once

#include "link/ScriptRunner.h"

class ModemPort;

// Runs scripts the way the program does: behind the modal "Communicating..."
// dialog, over the application's port, on top of whatever window is active.
class DialogScriptRunner : public ScriptRunner {
public:
    explicit DialogScriptRunner(ModemPort& port) : port_(port) {}

    void Run(JobList& jobs) override;

private:
    ModemPort& port_;
};
