#pragma once

#include "link/ScriptRunner.h"

class ModemPort;

// Runs short scripts nobody waits for (the signal monitor's samples) on the
// calling thread, between the scripts people start. A script finds the port
// either free, and runs at once, or busy with another worker's script, and is
// then skipped: nothing is sent and Skipped() says so. It never waits for a
// port that went away: a lost gateway fails the script at once, and the next
// run tries to open the port again, so sampling carries on by itself once the
// gateway is back.
class BackgroundScriptRunner : public ScriptRunner {
public:
    explicit BackgroundScriptRunner(ModemPort& port) : port_(port) {}

    void Run(JobList& jobs) override;

    // After Run: the port was busy and no job was sent.
    bool Skipped() const { return skipped_; }
    // After Run: the script lost the port (see RunScript).
    bool LostPort() const { return lostPort_; }

private:
    ModemPort& port_;
    bool skipped_ = false;
    bool lostPort_ = false;
};
