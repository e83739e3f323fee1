#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "link/ModemPort.h"
#include "link/ProgressIndicator.h"
#include "link/ScriptWorker.h"
#include "tests/link/PtyPeer.h"
#include "tests/link/TempDir.h"
#include "tests/support/TestClocks.h"

namespace {

class TextRecorder : public ScriptObserver {
public:
    void ShowJobText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class PlainProgress : public ProgressIndicator {
public:
    int Position() const override { return position_; }
    void SetPosition(int position) override { position_ = position; }

private:
    int position_ = 0;
};

TEST(RunScript, StoresEachPayloadAndStatusAndStopsAtAnEmptyCommand) {
    PtyPeer peer;
    ScaledClock clock(100);
    ModemPort port(clock);
    port.SetPortName(peer.SlavePath());
    ASSERT_TRUE(port.Open());
    peer.QueueReply("AT+CGMI\r\n\r\nWAVECOM\r\n\r\nOK\r\n");
    peer.QueueReply("\r\nbad\r\nERROR\r\n");

    JobList jobs{CommandJob("AT+CGMI\r\n", "Reading the maker...", 2000),
                 CommandJob("SLEEP", "Waiting...", 500), CommandJob("AT+X\r\n", "Failing...", 2000),
                 CommandJob("", "end", 0), CommandJob("AT+NEVER\r\n", "never", 2000)};
    jobs[4].SetResponse("untouched");
    TextRecorder observer;
    PlainProgress progress;
    RunScript(port, jobs, observer, progress);

    EXPECT_EQ(jobs[0].GetResponse(), "WAVECOM");
    EXPECT_EQ(jobs[0].GetStatus(), CommandJob::kSucceeded);
    EXPECT_EQ(jobs[1].GetResponse(), "");
    EXPECT_EQ(jobs[1].GetStatus(), CommandJob::kSucceeded);
    EXPECT_EQ(jobs[2].GetResponse(), "bad");
    EXPECT_EQ(jobs[2].GetStatus(), CommandJob::kFailed);
    EXPECT_TRUE(jobs[2].Refused());
    EXPECT_FALSE(jobs[0].Refused());
    EXPECT_EQ(jobs[4].GetResponse(), "untouched");
    EXPECT_EQ(observer.texts,
              (std::vector<std::string>{"Reading the maker...", "Waiting...", "Failing..."}));
    EXPECT_EQ(peer.Received(), "AT+CGMI\r\nAT+X\r\n");
    EXPECT_GT(progress.Position(), 0);
}

// A gateway that was answering and is then unplugged for good.
struct GoneGatewayTest : testing::Test {
    // The port is named by a link that goes with the device, as udev's node
    // does: reopening the freed pseudo-terminal could take another test's.
    void SetUp() override {
        std::filesystem::create_symlink(peer.SlavePath(), link);
        port.SetPortName(link.string());
        ASSERT_TRUE(port.Open());
        peer.Vanish();
        std::filesystem::remove(link);
    }

    TempDir dir;
    std::filesystem::path link = dir.Path() / "gateway";
    PtyPeer peer;
    ManualClock clock;
    ModemPort port{clock};
    JobList jobs{CommandJob("AT+CGMI\r\n", "First...", 500), CommandJob("SLEEP", "Pause...", 20000),
                 CommandJob("AT+CGSN\r\n", "Third...", 500)};
    PlainProgress progress;
};

TEST_F(GoneGatewayTest, OnceASendHasGivenUpTheRemainingJobsFailAtOnce) {
    TextRecorder observer;
    const std::uint64_t start = clock.NowMs();
    RunScript(port, jobs, observer, progress);

    // One wait for the port, not one per job.
    EXPECT_LE(clock.NowMs() - start, ModemPort::kReopenLimitMs + ModemPort::kReopenIntervalMs);
    for (const CommandJob& job : jobs) {
        EXPECT_EQ(job.GetStatus(), CommandJob::kFailed);
        EXPECT_FALSE(job.Refused()) << "never answered";
    }
    EXPECT_EQ(observer.texts, std::vector<std::string>{"First..."});
}

TEST_F(GoneGatewayTest, CancellingTheWaitFailsTheRestAndTheNextScriptTriesAgain) {
    struct WaitRecorder : TextRecorder {
        void WaitingForPort(bool waiting) override {
            events.push_back(waiting);
            waitingNow = waiting;
        }
        std::vector<bool> events;
        std::atomic<bool> waitingNow{false};
    } observer;
    // The worker's wait holds until the user has cancelled it.
    std::atomic<bool> cancelled{false};
    clock.onSleep = [&] {
        while (!cancelled)
            std::this_thread::yield();
    };

    const std::uint64_t start = clock.NowMs();
    std::thread worker([&] { RunScript(port, jobs, observer, progress); });
    while (!observer.waitingNow)
        std::this_thread::yield();
    port.CancelWait();
    cancelled = true;
    worker.join();

    EXPECT_LT(clock.NowMs() - start, ModemPort::kReopenIntervalMs);
    EXPECT_EQ(observer.events, (std::vector<bool>{true, false}));
    for (const CommandJob& job : jobs)
        EXPECT_EQ(job.GetStatus(), CommandJob::kFailed);

    // Retried: the port is waited for again, not given up at once.
    JobList retry{CommandJob("AT\r\n", "Again...", 500)};
    RunScript(port, retry, observer, progress);
    EXPECT_GE(clock.NowMs() - start, ModemPort::kReopenLimitMs);
}

}  // namespace
