#include "link/ScriptWorker.h"

#include <algorithm>

#include "link/ModemPort.h"

namespace {

constexpr char kInstallCommand[] = "at&usbinterface=110";

// What came before the NUL byte, for a reader that can tell it is not whole
// (a document that does not parse); the job failed all the same.
void KeepCutText(ModemPort& port, const std::string& command, const std::string& reply,
                 CommandJob& job) {
    std::string payload;
    port.Parse(command, reply, payload);
    job.SetResponse(std::move(payload));
    job.SetCutAtNul(true);
}

}  // namespace

int ProgressRange(const JobList& jobs) {
    long long sum = 0;
    for (const CommandJob& job : jobs) {
        if (job.GetCommand().empty())
            break;
        sum += job.GetTimeout();
    }
    return static_cast<int>(std::clamp<long long>(sum / 105, 0, 65535));
}

bool RunScript(ModemPort& port, JobList& jobs, ScriptObserver& observer,
               ProgressIndicator& progress) {
    port.ClearGiveUp();
    port.SetWaitListener(&observer);
    for (CommandJob& job : jobs) {
        const std::string command = job.GetCommand();
        if (command.empty())
            break;
        job.SetStatus(CommandJob::kFailed);
        job.SetCutShortBytes(0);
        job.SetCutAtNul(false);
        job.SetAnswered(false);
        job.SetPortWentAway(false);
        if (port.GaveUp())
            continue;
        const std::size_t bufferBytes =
            kBaseReplyBytes + static_cast<std::size_t>(std::max(job.GetExtra(), 0));
        observer.ShowJobText(job.GetText());
        if (!port.Send(command))
            continue;
        const bool rawMode = command.find(kInstallCommand) != std::string::npos;
        std::string reply;
        if (job.Restarts())
            port.ExpectRestart();
        if (!port.Receive(command, bufferBytes, job.GetTimeout(), rawMode, &progress, reply)) {
            if (port.ReplyCutShort())
                job.SetCutShortBytes(bufferBytes);
            if (port.ReplyCutAtNul())
                KeepCutText(port, command, reply, job);
            continue;
        }
        job.SetPortWentAway(port.PortWentAway());
        job.SetAnswered(!reply.empty() || job.PortWentAway());
        std::string payload;
        const bool outcome = port.Parse(command, reply, payload);
        job.SetResponse(std::move(payload));
        job.SetStatus(outcome ? CommandJob::kSucceeded : CommandJob::kFailed);
    }
    const bool lost = port.GaveUp() || !port.IsOpen();
    // Given up for this script only: whoever uses the port next tries again.
    port.SetWaitListener(nullptr);
    port.ClearGiveUp();
    return lost;
}
