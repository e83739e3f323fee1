// What the signal monitor costs: the share of wall time the link is busy with
// its samples at the default 2 s interval (two exchanges, each with its 100 ms
// drain, expected near 12%), and the user-interface thread's longest stall
// while the monitor window opens, samples the simulated gateway with ten
// minutes already plotted, and closes (target under 16 ms). Run by hand;
// prints its figures.
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>

#include "link/BackgroundScriptRunner.h"
#include "link/ModemPort.h"
#include "model/SignalHistory.h"
#include "model/SignalSample.h"
#include "pages/SignalMonitorWindow.h"
#include "tests/support/SimGateway.h"
#include "tests/ui/FakePrompter.h"

namespace {

constexpr int kSamples = 10;
constexpr double kIntervalMs = 2000.0;
constexpr double kStallTargetMs = 16.0;
constexpr qint64 kSettleNs = 1000000000;
constexpr qint64 kCloseAtNs = 21000000000;
constexpr int kClosingWatchMs = 1500;

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

// Ten minutes of history at the default interval, as a monitor left open
// holds them: a full plot, with lost samples and roaming spells that break
// the line and the band.
void FillTenMinutes(SignalMonitorWindow& window) {
    const std::int64_t now = UnixNowMs();
    const std::int64_t count = SignalHistory::kWindowMs / static_cast<std::int64_t>(kIntervalMs);
    for (std::int64_t i = count; i > 0; --i) {
        SignalSample sample;
        sample.unixMs = now - i * static_cast<std::int64_t>(kIntervalMs);
        sample.lost = i % 23 == 0;
        if (!sample.lost) {
            sample.csq = static_cast<int>(5 + i * 7 % 24);
            sample.registration = i / 40 % 2 == 0 ? 1 : 5;
        }
        window.ShowSample(sample);
    }
}

// Longest gaps between the ticks of a 1 ms timer: while the window opens
// (its first layout and paint, which opening any window costs), while it
// samples, and while it closes.
struct Stalls {
    double openingMs = 0;
    double samplingMs = 0;
    double closingMs = 0;
};

Stalls MeasureStalls(ModemPort& port) {
    FakePrompter prompter;
    const QPointer<SignalMonitorWindow> window =
        new SignalMonitorWindow(port, prompter, Clock::System());
    FillTenMinutes(*window);
    window->show();
    QElapsedTimer since;
    since.start();
    qint64 last = 0;
    std::array<qint64, 3> worst{};
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = since.nsecsElapsed();
        const std::size_t phase = now <= kSettleNs ? 0 : now <= kCloseAtNs ? 1 : 2;
        worst[phase] = std::max(worst[phase], now - last);
        last = now;
    });
    tick.start(1);
    QTimer::singleShot(static_cast<int>(kCloseAtNs / 1000000), [&] { window->close(); });
    QTimer::singleShot(static_cast<int>(kCloseAtNs / 1000000) + kClosingWatchMs,
                       [] { QApplication::quit(); });
    QApplication::exec();
    if (window != nullptr)
        std::printf("the closed window was still there %d ms after closing\n", kClosingWatchMs);
    delete window.data();
    return {static_cast<double>(worst[0]) / 1e6, static_cast<double>(worst[1]) / 1e6,
            static_cast<double>(worst[2]) / 1e6};
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Closing the monitor is measured; it must not end the run.
    QApplication::setQuitOnLastWindowClosed(false);
    SimGateway gateway({"--signal-walk"});
    ModemPort port;
    port.SetPortName(gateway.LinkPath());
    if (!port.Open()) {
        std::fprintf(stderr, "monitor_bench: the simulated gateway's port did not open\n");
        return 1;
    }
    const double sampleMs = MeanSampleMs(port);
    std::printf(
        "one sample (AT+CSQ, AT+CREG?, AT+COPS?): %.1f ms; link busy at a 2 s interval: %.1f%% "
        "(expected about 18%%)\n",
        sampleMs, 100.0 * sampleMs / kIntervalMs);
    std::fflush(stdout);
    const Stalls stalls = MeasureStalls(port);
    const auto report = [](const char* what, double ms) {
        std::printf("longest UI-thread stall %s: %.1f ms, %.2f of the %.0f ms target\n", what, ms,
                    ms / kStallTargetMs, kStallTargetMs);
    };
    report("while the window opens (its first second)", stalls.openingMs);
    report("over 20 s of sampling with ten minutes plotted", stalls.samplingMs);
    report("while the window closes", stalls.closingMs);
    return 0;
}
