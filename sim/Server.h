#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "DeviceData.h"
#include "Modem.h"
#include "Output.h"
#include "PseudoTerminal.h"
#include "SimOptions.h"
#include "Transcript.h"

// Runs the simulated gateway: serves its port until SIGINT or SIGTERM, reading input while
// answers wait or are being written, and takes the port away and back on reboot, firmware
// install, a vanishing fault or an unplug on a timer.
class Server {
public:
    Server(const SimOptions& options, DeviceData& device);
    // Exit status: 0 after a stop signal, 1 when the port or transcript cannot be set up.
    int Run();

private:
    struct Pending {
        std::uint64_t readyAtMs = 0;
        std::string bytes;
        Output::Effect effect = Output::Effect::None;
        std::string repeat;  // Endless: written again and again while nothing else waits
    };

    void Serve(std::uint64_t nowMs);
    void Wait(std::uint64_t nowMs);
    int TimeoutMs(std::uint64_t nowMs) const;
    void ReadInput(std::uint64_t nowMs);
    void Queue(std::uint64_t nowMs);
    void WriteOutput(std::uint64_t nowMs);
    void GoDown(std::uint64_t nowMs, Output::Effect effect);
    void ComeUp(std::uint64_t nowMs);
    void ScheduleUnplug(std::uint64_t nowMs);
    std::string ReadAvailable();
    void RecordInput();
    void RecordLost(const std::string& late);

    const SimOptions& options_;
    Modem modem_;
    PseudoTerminal port_;
    Transcript transcript_;
    std::deque<Pending> pending_;
    std::optional<std::uint64_t> upAtMs_;      // set while the port is away
    std::optional<std::uint64_t> unplugAtMs_;  // when the port is next pulled away
};
