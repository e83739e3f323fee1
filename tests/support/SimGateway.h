#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "SimTranscript.h"

// Runs the simulated gateway r7sim for an end-to-end test: in a temporary directory, with
// --link <dir>/r7 --transcript <dir>/transcript.log --time-scale 0.02 unless the extra
// arguments set them. The constructor returns once the port is published and throws
// std::runtime_error when the simulator does not start. The destructor stops it and removes
// the directory.
class SimGateway {
public:
    explicit SimGateway(std::vector<std::string> extraArgs = {});
    ~SimGateway();
    SimGateway(const SimGateway&) = delete;
    SimGateway& operator=(const SimGateway&) = delete;

    const std::string& LinkPath() const { return link_; }
    // The temporary directory, for files a test wants to hand to the simulator.
    const std::string& Directory() const { return dir_; }

    // Every byte the gateway received, in order (events left out).
    std::string ReceivedBytes() const;
    // Each received command line, document or upload data block, in order.
    std::vector<std::string> ReceivedCommands() const;
    // The whole transcript, events ("down reboot", "up", ...) included.
    std::vector<SimRecord> Records() const;

    // Waits until the port's path exists (true) or does not exist (false), up to timeoutMs.
    bool WaitForLink(bool present, int timeoutMs) const;

private:
    void Stop();

    std::string dir_;
    std::string link_;
    std::string transcript_;
    pid_t pid_ = -1;
    int output_ = -1;  // read end of the simulator's standard output
};
