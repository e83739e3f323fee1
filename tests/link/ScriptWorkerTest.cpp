#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/ModemPort.h"
#include "link/ProgressIndicator.h"
#include "link/ScriptWorker.h"
#include "model/SignalSampler.h"
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

// The signal monitor samples on its thread while the user's side (one
// thread, as the UI is) runs page scripts on a worker and has the port watch
// close the port whenever the gateway is unplugged between them. Every close
// and reopen takes the port's turn, so no exchange finds its port closed or
// replaced under it (run under TSan), and no command is cut into another.
TEST(PortTurn, SamplingPageScriptsAndUnplugsTakeTurns) {
    constexpr int kRounds = 5;
    TempDir dir;
    const std::filesystem::path link = dir.Path() / "gateway";
    std::vector<std::unique_ptr<PtyPeer>> peers;
    const auto plugIn = [&] {
        auto peer = std::make_unique<PtyPeer>();
        peer->AnswerEveryLine("\r\nOK\r\n");
        const std::filesystem::path fresh = link.string() + ".new";
        std::filesystem::create_symlink(peer->SlavePath(), fresh);
        std::filesystem::rename(fresh, link);
        peers.push_back(std::move(peer));
    };
    // udev removes the link with the device.
    const auto unplug = [&] {
        std::filesystem::remove(link);
        peers.back()->Vanish();
    };
    plugIn();
    ModemPort port;
    port.SetPortName(link.string());
    ASSERT_TRUE(port.Open());

    std::atomic<int> answeredSamples{0};
    SignalSampler::Reports reports;
    reports.sampled = [&](const SignalSample& sample) {
        if (!sample.lost)
            ++answeredSamples;
    };
    SignalSampler sampler(port, Clock::System(), reports);
    sampler.SetIntervalMs(5);
    sampler.Start();

    int succeeded = 0;
    for (int round = 0; round < kRounds; ++round) {
        JobList jobs{CommandJob("AT+CGMI\r\n", "Reading...", 500),
                     CommandJob("AT+CGSN\r\n", "Reading...", 500)};
        std::thread worker([&] {
            TextRecorder observer;
            PlainProgress progress;
            const std::scoped_lock turn(port.Turn());
            RunScript(port, jobs, observer, progress);
        });
        // Unplugged and back while the script runs: its worker reopens the port.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        unplug();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        plugIn();
        worker.join();
        succeeded += jobs.back().GetStatus() == CommandJob::kSucceeded;

        // Unplugged while the sheet is idle: the port watch closes the port.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        unplug();
        port.Close();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        plugIn();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    sampler.Stop();
    EXPECT_GT(succeeded, 0);
    EXPECT_GT(answeredSamples.load(), 0);

    for (const std::unique_ptr<PtyPeer>& peer : peers) {
        std::istringstream lines(peer->Received());
        for (std::string line; std::getline(lines, line, '\n');)
            EXPECT_TRUE(line == "AT+CSQ\r" || line == "AT+CREG?\r" || line == "AT+COPS?\r" ||
                        line == "AT+CGMI\r" || line == "AT+CGSN\r")
                << line;
    }
}

}  // namespace
