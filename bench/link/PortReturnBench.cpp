// How soon the link carries on after the gateway's port comes back from a
// restart: the time from the port's return to the command arriving at the
// gateway, worst case over returns spread across one second (the interval of
// the fallback reopen attempts, so that every phase of it is met). The whole
// of it is held against the one 100 ms drain of the reopen plus 5 ms: the
// command is the next thing the link does once the port is open again.
// Run by hand; prints its figures.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/ModemPort.h"
#include "tests/link/PtyPeer.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kReturns = 20;  // spread across a second, 50 ms apart
constexpr double kDrainMs = 100.0;
constexpr double kTargetMs = kDrainMs + 5.0;

void PointLink(const std::filesystem::path& link, const std::string& target) {
    const std::filesystem::path fresh = link.string() + ".new";
    std::filesystem::create_symlink(target, fresh);
    std::filesystem::rename(fresh, link);
}

// One restart: the port goes away, a Send starts waiting for it, and the port
// comes back offsetMs into the wait. Milliseconds from its return to the
// command's arrival; negative when the command never arrived.
double MeasureReturn(const std::filesystem::path& link, int offsetMs) {
    auto first = std::make_unique<PtyPeer>();
    PointLink(link, first->SlavePath());
    ModemPort port;
    port.SetPortName(link.string());
    if (!port.Open())
        return -1;
    first->Vanish();
    std::filesystem::remove(link);

    bool sent = false;
    std::thread sender([&] { sent = port.Send("AT\r\n"); });
    // The Send drains and fails its write first; the wait begins after that.
    std::this_thread::sleep_for(std::chrono::milliseconds(200 + offsetMs));
    PtyPeer second;
    const SteadyClock::time_point back = SteadyClock::now();
    PointLink(link, second.SlavePath());
    const bool arrived = second.WaitForReceived(4);
    const SteadyClock::time_point received = SteadyClock::now();
    sender.join();
    std::filesystem::remove(link);
    if (!arrived || !sent)
        return -1;
    return std::chrono::duration<double, std::milli>(received - back).count();
}

}  // namespace

int main() {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("r7-port-return-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::vector<double> delays;
    int failures = 0;
    for (int i = 0; i < kReturns; ++i) {
        const double ms = MeasureReturn(dir / "r7", i * 1000 / kReturns);
        if (ms < 0)
            ++failures;
        else
            delays.push_back(ms);
    }
    std::filesystem::remove_all(dir);
    if (delays.empty()) {
        std::fprintf(stderr, "no restart was followed\n");
        return 1;
    }
    std::sort(delays.begin(), delays.end());
    const double worst = delays.back();
    std::printf("restarts:                      %d (%d not followed)\n", kReturns, failures);
    std::printf("return to command, median:     %.1f ms\n", delays[delays.size() / 2]);
    std::printf(
        "return to command, worst:      %.1f ms (target < %.0f ms: drain %.0f + 5, "
        "ratio %.2f)\n",
        worst, kTargetMs, kDrainMs, worst / kTargetMs);
    return failures == 0 ? 0 : 1;
}
