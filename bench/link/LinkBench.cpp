// Cost of one command exchange against a peer that answers at once: wall time
// beyond the 100 ms quiet window every drain must wait, and CPU time. Run by
// hand; prints its figures.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "link/ModemPort.h"
#include "tests/link/PtyPeer.h"

namespace {

constexpr int kExchanges = 50;
constexpr double kDrainWindowMs = 100.0;

double CpuMs(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

}  // namespace

int main() {
    PtyPeer peer;
    ModemPort port;
    port.SetPortName(peer.SlavePath());
    if (!port.Open()) {
        std::fprintf(stderr, "cannot open %s\n", peer.SlavePath().c_str());
        return 1;
    }
    const std::string command = "AT+CGMI\r\n";
    const std::string answer = "AT+CGMI\r\n\r\nWAVECOM\r\n\r\nOK\r\n";

    const double threadCpuStart = CpuMs(RUSAGE_THREAD);
    const double processCpuStart = CpuMs(RUSAGE_SELF);
    const auto wallStart = std::chrono::steady_clock::now();
    int failures = 0;
    for (int i = 0; i < kExchanges; ++i) {
        peer.QueueReply(answer);
        std::string reply;
        std::string payload;
        if (!port.Send(command) || !port.Receive(command, 100000, 20000, false, nullptr, reply) ||
            !port.Parse(command, reply, payload) || payload != "WAVECOM")
            ++failures;
    }
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
            .count();
    const double threadCpuMs = CpuMs(RUSAGE_THREAD) - threadCpuStart;
    const double processCpuMs = CpuMs(RUSAGE_SELF) - processCpuStart;

    std::printf("exchanges:                      %d (%d failed)\n", kExchanges, failures);
    std::printf("wall per exchange:              %.3f ms\n", wallMs / kExchanges);
    std::printf("overhead beyond the drain wait: %.3f ms (target < 2 ms)\n",
                wallMs / kExchanges - kDrainWindowMs);
    std::printf("CPU per exchange, link thread:  %.3f ms (target < 1 ms)\n",
                threadCpuMs / kExchanges);
    std::printf("CPU per exchange, with peer:    %.3f ms\n", processCpuMs / kExchanges);
    return failures == 0 ? 0 : 1;
}
