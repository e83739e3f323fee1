#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "link/CommDialog.h"
#include "link/ModemPort.h"
#include "tests/link/PtyPeer.h"
#include "tests/link/TempDir.h"
#include "tests/support/TestClocks.h"
#include "transfer/UploadDialog.h"

namespace {

// Pauses need no gateway: the port stays closed and the manual clock lets
// them pass at once.
struct CommDialogTest : testing::Test {
    ManualClock clock;
    ModemPort port{clock};

    CommDialogTest() { port.SetPortName("/dev/ttyR7test"); }
};

}  // namespace

TEST_F(CommDialogTest, RunsTheScriptAndReturnsWithEveryJobDone) {
    JobList jobs = {CommandJob("SLEEP", "Waiting first...", 2100),
                    CommandJob("SLEEP", "Waiting second...", 1050), CommandJob("", "", 0),
                    CommandJob("SLEEP", "never", 5000)};
    jobs[3].SetResponse("untouched");

    CommDialog dialog(port, jobs);
    EXPECT_EQ(dialog.windowTitle(), "Communicating...");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
    auto* bar = dialog.findChild<QProgressBar*>(QStringLiteral("progress"));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 30);
    dialog.RunModal();

    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("portLine"))->text(),
              "Communicating with the R7 on /dev/ttyR7test, please wait...");
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("jobLine"))->text(), "Waiting second...");
    // The pauses moved the bar far beyond its range; it stops at the end.
    EXPECT_EQ(bar->value(), 30);
    EXPECT_EQ(jobs[0].GetStatus(), CommandJob::kSucceeded);
    EXPECT_EQ(jobs[1].GetStatus(), CommandJob::kSucceeded);
    EXPECT_EQ(jobs[3].GetStatus(), CommandJob::kFailed);
    EXPECT_EQ(jobs[3].GetResponse(), "untouched");
}

TEST_F(CommDialogTest, EmptyScriptOpensAndClosesAtOnce) {
    JobList jobs = {CommandJob("", "", 0), CommandJob("AT\r\n", "never", 500)};
    CommDialog dialog(port, jobs);
    EXPECT_EQ(dialog.findChild<QProgressBar*>(QStringLiteral("progress"))->maximum(), 0);
    dialog.RunModal();
    EXPECT_EQ(jobs[1].GetStatus(), CommandJob::kFailed);
    EXPECT_EQ(clock.Sleeps(), 0);
}

TEST_F(CommDialogTest, UserCannotCloseItWhileTheWorkerRuns) {
    // The worker holds in its first pause until the test has tried every way
    // out of the dialog.
    std::atomic<bool> release{false};
    std::atomic<bool> workerWaiting{false};
    clock.onSleep = [&] {
        workerWaiting = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    JobList jobs = {CommandJob("SLEEP", "Pausing...", 1000)};
    CommDialog dialog(port, jobs);
    bool stayedOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        while (!workerWaiting)
            QTest::qWait(1);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QTest::keyClick(&dialog, Qt::Key_Return);
        dialog.close();
        dialog.reject();
        stayedOpen = dialog.isVisible() &&
                     !dialog.findChild<QPushButton*>(QStringLiteral("cancel"))->isVisible();
        release = true;
    });
    dialog.RunModal();
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(jobs[0].GetStatus(), CommandJob::kSucceeded);
}

// Both progress dialogs, the script's and the upload's, offer the same way out
// of a wait for the port, by the same rules.
TEST_F(CommDialogTest, WhileTheLinkWaitsForThePortEscapeCancelsTheScriptOrTheUpload) {
    // The port's device does not exist: the first command waits for it to
    // appear, and the wait holds until it is cancelled.
    clock.onSleep = [&] {
        while (!port.GaveUp())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    JobList jobs = {CommandJob("AT\r\n", "Asking...", 500),
                    CommandJob("AT+CGMI\r\n", "Never shown...", 500)};
    CommDialog script(port, jobs);
    TempDir dir;
    const std::string program = (dir.Path() / "blink.py").string();
    std::ofstream(program) << "print(1)\n";
    UploadDialog upload(port, clock);
    upload.SetUploadFile(program, false, false);
    UploadOutcome outcome = UploadOutcome::Sent;
    struct Case {
        QDialog* dialog;
        std::function<void()> run;
        QString idleLine;  // empty: the line is hidden outside a wait
    };
    const Case cases[] = {
        {&script, [&] { script.RunModal(); },
         "Communicating with the R7 on /dev/ttyR7test, please wait..."},
        {&upload, [&] { outcome = upload.RunModal(); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dialog->windowTitle().toStdString());
        auto* cancel = c.dialog->findChild<QPushButton*>(QStringLiteral("cancel"));
        auto* portLine = c.dialog->findChild<QLabel*>(QStringLiteral("portLine"));
        QString waitingText;
        bool enterIgnored = false;
        QTimer::singleShot(0, c.dialog, [&] {
            for (int i = 0; i < 10000 && !cancel->isVisible(); ++i)
                QTest::qWait(1);
            waitingText = portLine->isVisible() ? portLine->text() : QString();
            QTest::keyClick(c.dialog, Qt::Key_Return);
            enterIgnored = cancel->isVisible() && cancel->isEnabled() && !port.GaveUp();
            QTest::keyClick(c.dialog, Qt::Key_Escape);
        });
        c.run();

        EXPECT_EQ(waitingText, "Waiting for the R7 to come back on /dev/ttyR7test...");
        EXPECT_TRUE(enterIgnored);
        EXPECT_TRUE(cancel->isHidden());
        EXPECT_EQ(portLine->text(), c.idleLine);
        EXPECT_EQ(portLine->isHidden(), c.idleLine.isEmpty());
    }
    EXPECT_EQ(script.findChild<QLabel*>(QStringLiteral("jobLine"))->text(), "Asking...");
    EXPECT_EQ(jobs[0].GetStatus(), CommandJob::kFailed);
    EXPECT_EQ(jobs[1].GetStatus(), CommandJob::kFailed);
    EXPECT_EQ(outcome, UploadOutcome::Lost);
}

// While the gateway restarts, the bar shows the seconds waited for its port
// against the most the link waits, and it is full once the gateway is back,
// for the jobs that follow too.
TEST_F(CommDialogTest, WhileTheGatewayRestartsTheBarShowsTheTimeWaitedAndEndsFull) {
    TempDir dir;
    const std::filesystem::path link = dir.Path() / "gateway";
    port.SetPortName(link.string());
    PtyPeer peer;
    peer.QueueReply("\r\nOK\r\n");
    JobList jobs = {CommandJob("AT\r\n", "Waiting for the device to restart...", 1000),
                    CommandJob("SLEEP", "Pausing...", 1000)};
    // The worker holds halfway through the wait, and again in the pause after
    // the gateway is back, until the test has read the bar.
    enum Stage { kWaiting, kHalfway, kBack, kSeen, kDone };
    std::atomic<int> stage{kWaiting};
    const std::uint64_t start = clock.NowMs();
    const auto holdUntil = [&](int seen) {
        for (int i = 0; i < 10000 && stage != seen; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    clock.onSleep = [&] {
        if (stage == kWaiting && clock.NowMs() - start >= ModemPort::kReopenLimitMs / 2) {
            stage = kHalfway;
            holdUntil(kBack);
            std::filesystem::create_symlink(peer.SlavePath(), link);
        } else if (stage == kBack && jobs[0].GetStatus() == CommandJob::kSucceeded) {
            stage = kSeen;
            holdUntil(kDone);
        }
    };
    CommDialog dialog(port, jobs);
    auto* bar = dialog.findChild<QProgressBar*>(QStringLiteral("progress"));
    int halfway = -1;
    int back = -1;
    QTimer::singleShot(0, &dialog, [&] {
        const auto readBarAt = [&](int reached, int& value) {
            for (int i = 0; i < 10000 && stage != reached; ++i)
                QTest::qWait(1);
            QTest::qWait(300);  // the bar's next refresh
            value = bar->value();
        };
        readBarAt(kHalfway, halfway);
        EXPECT_EQ(bar->maximum(), static_cast<int>(ModemPort::kReopenLimitMs / 1000));
        stage = kBack;
        readBarAt(kSeen, back);
        stage = kDone;
    });
    dialog.RunModal();

    EXPECT_NEAR(halfway, static_cast<int>(ModemPort::kReopenLimitMs / 2000), 1);
    EXPECT_EQ(back, bar->maximum());
    EXPECT_EQ(jobs[0].GetStatus(), CommandJob::kSucceeded);
    EXPECT_EQ(jobs[1].GetStatus(), CommandJob::kSucceeded);
}
