// What the signal monitor costs: the share of wall time the link is busy with
// its samples at the default 2 s interval (two exchanges, each with its 100 ms
// drain, expected near 12%), and the user-interface thread's longest stall
// while the monitor window runs against the simulated gateway (target under
// 16 ms). Run by hand; prints its figures.
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "link/BackgroundScriptRunner.h"
#include "link/ModemPort.h"
#include "model/SignalSample.h"
#include "pages/SignalMonitorWindow.h"
#include "tests/support/SimGateway.h"
#include "tests/ui/FakePrompter.h"

namespace {

constexpr int kSamples = 10;
constexpr double kIntervalMs = 2000.0;
constexpr double kStallTargetMs = 16.0;
constexpr int kWatchMs = 20000;
constexpr qint64 kSettleNs = 1000000000;

double MeanSampleMs(ModemPort& port) {
    BackgroundScriptRunner runner(port);
    double total = 0;
    for (int i = 0; i < kSamples; ++i) {
        const auto start = std::chrono::steady_clock::now();
        SampleSignal(runner, UnixNowMs());
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
    }
    return total / kSamples;
}

// Longest gap between the ticks of a 1 ms timer while the window samples.
double LongestStallMs(ModemPort& port) {
    FakePrompter prompter;
    // Quitting closes the window, which then deletes itself.
    const QPointer<SignalMonitorWindow> window =
        new SignalMonitorWindow(port, prompter, Clock::System());
    window->show();
    QElapsedTimer since;
    since.start();
    qint64 last = 0;
    qint64 longest = 0;
    qint64 opening = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = since.nsecsElapsed();
        // The first second holds the window's first layout and paint, which
        // opening any window costs; it is reported apart from sampling.
        qint64& worst = now > kSettleNs ? longest : opening;
        worst = std::max(worst, now - last);
        last = now;
    });
    tick.start(1);
    QTimer::singleShot(kWatchMs, [] { QApplication::quit(); });
    QApplication::exec();
    delete window.data();
    std::printf("longest UI-thread stall in the first second (opening the window): %.1f ms\n",
                static_cast<double>(opening) / 1e6);
    return static_cast<double>(longest) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    SimGateway gateway({"--signal-walk"});
    ModemPort port;
    port.SetPortName(gateway.LinkPath());
    if (!port.Open()) {
        std::fprintf(stderr, "monitor_bench: the simulated gateway's port did not open\n");
        return 1;
    }
    const double sampleMs = MeanSampleMs(port);
    std::printf(
        "one sample (AT+CSQ, AT+CREG?): %.1f ms; link busy at a 2 s interval: %.1f%% "
        "(expected about 12%%)\n",
        sampleMs, 100.0 * sampleMs / kIntervalMs);
    std::fflush(stdout);
    const double stallMs = LongestStallMs(port);
    std::printf(
        "longest UI-thread stall over %d s of monitoring (after the first second): %.1f ms, %.2f "
        "of the %.0f ms "
        "target\n",
        kWatchMs / 1000, stallMs, stallMs / kStallTargetMs, kStallTargetMs);
    return 0;
}
