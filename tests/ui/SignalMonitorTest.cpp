#include <gtest/gtest.h>

#include <QApplication>
#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChartView>
#include <QDateTime>
#include <QKeySequence>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <numeric>
#include <vector>

#include "link/DialogScriptRunner.h"
#include "link/ModemPort.h"
#include "pages/SignalMonitorWindow.h"
#include "tests/link/TempDir.h"
#include "tests/support/FullDisk.h"
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
    constexpr std::int64_t kCount = 3 * SignalHistory::kWindowMs / kStepMs;
    // Ending now, as the sampler's own (lost) samples go on.
    const std::int64_t start = UnixNowMs() - 3 * SignalHistory::kWindowMs;
    std::int64_t last = start;
    // The figures of the last ten minutes: levels measured then, and only those.
    std::vector<int> recentDbm;
    for (std::int64_t i = 0; i < kCount; ++i) {
        SignalSample sample;
        last = start + i * kStepMs;
        sample.unixMs = last;
        sample.lost = i % 11 == 0;
        const bool recent = (kCount - 1 - i) * kStepMs <= SignalHistory::kWindowMs;
        if (!sample.lost) {
            // Older samples reach further than the recent ones, both ways.
            const int level = recent ? static_cast<int>(5 + i % 21) : (i % 2 == 0 ? 0 : 31);
            sample.csq = i % 17 == 0 ? 99 : level;
            sample.registration = i / 25 % 2 == 0 ? 1 : 5;
        }
        if (recent && sample.Dbm())
            recentDbm.push_back(*sample.Dbm());
        window.ShowSample(sample);
    }
    const QString figures = window.findChild<QLabel*>(QStringLiteral("monitorFigures"))->text();
    QApplication::processEvents();

    const double average = std::accumulate(recentDbm.begin(), recentDbm.end(), 0.0) /
                           static_cast<double>(recentDbm.size());
    EXPECT_TRUE(figures.contains(QStringLiteral("Minimum: -103 dBm"))) << figures.toStdString();
    EXPECT_TRUE(figures.contains(QStringLiteral("Maximum: -63 dBm"))) << figures.toStdString();
    EXPECT_TRUE(figures.contains(QStringLiteral("Average: %1 dBm").arg(average, 0, 'f', 1)))
        << figures.toStdString();

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

// The time axis spans from the first sample, a minute at least, grows to ten
// minutes and then moves; its ticks fall on whole 10 s (whole minutes once it
// spans more than two) and keep their times as it grows.
TEST(SignalMonitorTest, TheTimeAxisGrowsFromTheFirstSampleWithTicksOnWholeTimes) {
    ModemPort port;  // never opened; its lost samples are not let in
    FakePrompter prompter;
    SignalMonitorWindow window(port, prompter, Clock::System());
    const auto* view = window.findChild<QChartView*>(QStringLiteral("signalChart"));
    const std::int64_t first = (UnixNowMs() - 20 * 60000) / 60000 * 60000 + 3000;  // hh:mm:03
    const struct {
        std::int64_t afterMs;
        std::int64_t startMs, endMs;  // after the first sample
        std::int64_t firstTickMs, stepMs;
    } kCases[] = {
        {0, 0, 60000, 7000, 10000},
        {30000, 0, 60000, 7000, 10000},
        {90000, 0, 90000, 7000, 10000},
        {300000, 0, 300000, 57000, 60000},
        {720000, 120000, 720000, 177000, 60000},
    };
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.afterMs);
        SignalSample sample;
        sample.unixMs = first + row.afterMs;
        sample.lost = false;
        sample.csq = 17;
        sample.registration = 1;
        window.ShowSample(sample);
        auto* axis = qobject_cast<QCategoryAxis*>(view->chart()->axes(Qt::Horizontal).at(0));
        ASSERT_NE(axis, nullptr);
        EXPECT_EQ(axis->min(), static_cast<qreal>(first + row.startMs));
        EXPECT_EQ(axis->max(), static_cast<qreal>(first + row.endMs));
        std::int64_t tick = first + row.firstTickMs;
        const QString format =
            row.stepMs == 60000 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss");
        for (const QString& label : axis->categoriesLabels()) {
            EXPECT_EQ(axis->endValue(label), static_cast<qreal>(tick));
            EXPECT_EQ(label, QDateTime::fromMSecsSinceEpoch(tick).toString(format));
            tick += row.stepMs;
        }
        EXPECT_EQ(axis->count(), (row.endMs - row.firstTickMs) / row.stepMs + 1);
    }
}

// Saving over an older file on a full disk (a file size limit stands in for
// it) says why and keeps the older file whole, with nothing left beside it;
// Close then closes the window, and so do Escape and Ctrl+W.
TEST(SignalMonitorTest, SaveOntoAFullDiskKeepsTheOlderFile) {
    ModemPort port;
    FakePrompter prompter;
    TempDir dir;
    const std::string path = (dir.Path() / "signal.csv").string();
    std::ofstream(path) << "older samples\n";
    prompter.fileAnswers = {path};
    const QPointer<SignalMonitorWindow> window =
        new SignalMonitorWindow(port, prompter, Clock::System());
    window->show();
    {
        const FileSizeLimit full(8);
        window->findChild<QPushButton*>(QStringLiteral("saveCsv"))->click();
    }
    window->findChild<QPushButton*>(QStringLiteral("closeMonitor"))->click();
    EXPECT_TRUE(WaitUntil([&] { return window == nullptr; }));

    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].text,
              "The samples could not be written to " + path + ".\nFile too large");
    std::ifstream older(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(older), {}), "older samples\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

    for (const QKeyCombination keys : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
        SCOPED_TRACE(QKeySequence(keys).toString().toStdString());
        const QPointer<SignalMonitorWindow> other =
            new SignalMonitorWindow(port, prompter, Clock::System());
        other->show();
        other->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(other));
        QTest::keyClick(other, keys.key(), keys.keyboardModifiers());
        EXPECT_TRUE(WaitUntil([&] { return other == nullptr; }));
    }
}
