#include <gtest/gtest.h>

#include <QApplication>
#include <QAreaSeries>
#include <QChartView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPointer>
#include <QTest>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>

#include "link/DialogScriptRunner.h"
#include "link/ModemPort.h"
#include "pages/SignalMonitorWindow.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/ui/FakePrompter.h"

namespace {

bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 300 && !done(); ++i)
        QTest::qWait(20);
    return done();
}

std::size_t Samples(const SignalMonitorWindow& window) {
    return window.History().Samples().size();
}

}  // namespace

// The monitor samples between the scripts people start, and a gateway that
// goes away is a lost sample and a waiting window, never a level.
TEST(SignalMonitorTest, SamplesNeverInterleaveWithAPageScriptAndALostGatewayIsAGap) {
    auto gateway = std::make_unique<SimGateway>(std::vector<std::string>{"--signal-walk"});
    ModemPort port;
    port.SetPortName(gateway->LinkPath());
    ASSERT_TRUE(port.Open());
    FakePrompter prompter;
    // Intervals pass twenty times as fast: the sampler is nearly always busy.
    ScaledClock fast(20);
    const QPointer<SignalMonitorWindow> window = new SignalMonitorWindow(port, prompter, fast);
    window->show();
    ASSERT_TRUE(WaitUntil([&] { return Samples(*window) >= 2; }));
    const auto* status = window->findChild<QLabel*>(QStringLiteral("monitorStatus"));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().contains(QStringLiteral("    Operator: ")))
        << status->text().toStdString();

    const std::vector<std::string> pageCommands = {"AT+CGMI\r\n", "AT+CGSN\r\n", "AT+CGMR\r\n",
                                                   "AT+CIMI\r\n", "AT+CNUM\r\n"};
    JobList jobs;
    for (const std::string& command : pageCommands)
        jobs.emplace_back(command, "Reading...", 500);
    DialogScriptRunner runner(port);
    runner.Run(jobs);
    for (const CommandJob& job : jobs)
        EXPECT_EQ(job.GetStatus(), CommandJob::kSucceeded) << job.GetCommand();
    const std::size_t afterScript = Samples(*window);
    ASSERT_TRUE(WaitUntil([&] { return Samples(*window) >= afterScript + 2; }));

    const std::vector<std::string> commands = gateway->ReceivedCommands();
    const auto start = std::find(commands.begin(), commands.end(), pageCommands.front());
    ASSERT_NE(start, commands.end());
    ASSERT_GE(commands.end() - start, static_cast<long>(pageCommands.size()));
    EXPECT_TRUE(std::equal(pageCommands.begin(), pageCommands.end(), start));
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (commands[i] == "AT+CSQ\r\n") {
            ASSERT_LT(i + 1, commands.size());
            EXPECT_EQ(commands[i + 1], "AT+CREG?\r\n") << "after command " << i;
        }
    }
    for (const SignalSample& sample : window->History().Samples())
        EXPECT_FALSE(sample.lost);

    gateway.reset();
    ASSERT_TRUE(WaitUntil([&] { return window->History().Samples().back().lost; }));
    EXPECT_FALSE(window->History().CurrentDbm());
    EXPECT_EQ(status->text().toStdString(), "Waiting for the R7...");
    // Closing does not wait for the sampling thread; the window goes when it ends.
    window->close();
    EXPECT_TRUE(window->Closing());
    EXPECT_TRUE(WaitUntil([&] { return window == nullptr; }));
}

// A monitor left open for hours plots only its last ten minutes: what scrolls
// out is dropped, lines and bands alike, and the legend names each thing once.
TEST(SignalMonitorTest, ThePlotHoldsOnlyTheWindowHoweverLongItRuns) {
    ModemPort port;  // never opened: the sampler's samples are all lost
    FakePrompter prompter;
    SignalMonitorWindow window(port, prompter, Clock::System());
    window.show();
    constexpr std::int64_t kStepMs = 2000;
    // Ending now, as the sampler's own (lost) samples go on.
    const std::int64_t start = UnixNowMs() - 3 * SignalHistory::kWindowMs;
    std::int64_t last = start;
    for (std::int64_t i = 0; i < 3 * SignalHistory::kWindowMs / kStepMs; ++i) {
        SignalSample sample;
        last = start + i * kStepMs;
        sample.unixMs = last;
        sample.lost = i % 11 == 0;
        if (!sample.lost) {
            sample.csq = i % 17 == 0 ? 99 : static_cast<int>(i % 31);
            sample.registration = i / 25 % 2 == 0 ? 1 : 5;
        }
        window.ShowSample(sample);
    }
    QApplication::processEvents();

    const auto* view = window.findChild<QChartView*>(QStringLiteral("signalChart"));
    ASSERT_NE(view, nullptr);
    const std::int64_t windowStart = last - SignalHistory::kWindowMs;
    std::size_t points = 0;
    std::size_t before = 0;
    std::map<std::string, int> named;
    for (QAbstractSeries* series : view->chart()->series()) {
        const auto* line = qobject_cast<QLineSeries*>(series);
        const auto* band = qobject_cast<QAreaSeries*>(series);
        ASSERT_TRUE(line != nullptr || band != nullptr);
        if (line != nullptr) {
            points += static_cast<std::size_t>(line->count());
            const QList<QPointF> shown = line->points();
            before += static_cast<std::size_t>(
                std::count_if(shown.begin(), shown.end(),
                              [&](const QPointF& point) { return point.x() < windowStart; }));
        } else {
            before += band->upperSeries()->at(1).x() < windowStart ? 1 : 0;
        }
        for (const QLegendMarker* marker : view->chart()->legend()->markers(series))
            named[series->name().toStdString()] += marker->isVisible() ? 1 : 0;
    }
    EXPECT_EQ(before, 0u);
    EXPECT_LE(points, static_cast<std::size_t>(SignalHistory::kWindowMs / kStepMs + 1));
    EXPECT_GT(points, 0u);
    EXPECT_EQ(named,
              (std::map<std::string, int>{
                  {"Signal", 1}, {"Registered, home network", 1}, {"Registered, roaming", 1}}));
}
