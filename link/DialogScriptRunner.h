#pragma once

#include <functional>

#include "link/ScriptRunner.h"

class ModemPort;

// Runs scripts the way the program does: behind the modal "Communicating..."
// dialog, over the application's port, on top of whatever window is active.
class DialogScriptRunner : public ScriptRunner {
public:
    explicit DialogScriptRunner(ModemPort& port) : port_(port) {}

    void Run(JobList& jobs) override;
    bool ToldLostPort() const override { return toldLostPort_; }

    // Called after a script that lost the gateway's port; empty for nobody.
    void SetLostPortHandler(std::function<void()> handler) { onLostPort_ = std::move(handler); }
    // Called after a script that kept the port and had at least one job
    // answered: the gateway is there again; empty for nobody.
    void SetAnsweredHandler(std::function<void()> handler) { onAnswered_ = std::move(handler); }

private:
    ModemPort& port_;
    std::function<void()> onLostPort_;
    std::function<void()> onAnswered_;
    bool toldLostPort_ = false;
};
