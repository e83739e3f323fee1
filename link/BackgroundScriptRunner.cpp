#include "link/BackgroundScriptRunner.h"

#include <mutex>

#include "link/ModemPort.h"
#include "link/ProgressIndicator.h"
#include "link/ScriptWorker.h"

namespace {

// Nobody watches these scripts: no text, no bar, and a wait for the port is
// ended as soon as it begins.
class UnwatchedScript : public ScriptObserver, public ProgressIndicator {
public:
    explicit UnwatchedScript(ModemPort& port) : port_(port) {}

    void ShowJobText(const std::string&) override {}
    void WaitingForPort(bool waiting) override {
        if (waiting)
            port_.CancelWait();
    }
    int Position() const override { return position_; }
    void SetPosition(int position) override { position_ = position; }

private:
    ModemPort& port_;
    int position_ = 0;
};

}  // namespace

void BackgroundScriptRunner::Run(JobList& jobs) {
    std::unique_lock turn(port_.Turn(), std::try_to_lock);
    skipped_ = !turn.owns_lock();
    lostPort_ = false;
    if (skipped_) {
        for (CommandJob& job : jobs) {
            job.SetStatus(CommandJob::kFailed);
            job.SetAnswered(false);
        }
        return;
    }
    UnwatchedScript unwatched(port_);
    lostPort_ = RunScript(port_, jobs, unwatched, unwatched);
}
