#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/ModemPort.h"
#include "link/ProgressIndicator.h"
#include "link/ScriptWorker.h"
#include "tests/link/PtyPeer.h"
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
    EXPECT_EQ(jobs[4].GetResponse(), "untouched");
    EXPECT_EQ(observer.texts,
              (std::vector<std::string>{"Reading the maker...", "Waiting...", "Failing..."}));
    EXPECT_EQ(peer.Received(), "AT+CGMI\r\nAT+X\r\n");
    EXPECT_GT(progress.Position(), 0);
}

}  // namespace
