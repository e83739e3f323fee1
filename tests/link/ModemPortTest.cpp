#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/CommandLog.h"
#include "link/ModemPort.h"
#include "link/ProgressIndicator.h"
#include "link/SysfsDeviceIdentity.h"
#include "tests/link/PtyPeer.h"
#include "tests/link/TempDir.h"
#include "tests/support/TestClocks.h"

namespace {

constexpr int kTimeoutMs = 20000;
constexpr std::size_t kReplyBytes = 100000;

class RecordingProgress : public ProgressIndicator {
public:
    int Position() const override { return position_; }
    void SetPosition(int position) override {
        position_ = position;
        if (onSet)
            onSet();
    }

    std::function<void()> onSet;

private:
    int position_ = 0;
};

struct Exchange {
    std::string raw;
    std::string payload;
    bool outcome = false;
    std::uint64_t receiveMs = 0;
};

struct ReceiveOptions {
    std::size_t maxBytes = kReplyBytes;
    bool rawMode = false;
    ProgressIndicator* progress = nullptr;
};

Exchange RunExchange(ModemPort& port, Clock& clock, const std::string& command,
                     ReceiveOptions options = {}) {
    Exchange result;
    EXPECT_TRUE(port.Send(command));
    const std::uint64_t start = clock.NowMs();
    EXPECT_TRUE(port.Receive(command, options.maxBytes, kTimeoutMs, options.rawMode,
                             options.progress, result.raw));
    result.receiveMs = clock.NowMs() - start;
    result.outcome = port.Parse(command, result.raw, result.payload);
    return result;
}

// Points a fixed path at a (new) device, as udev does for a stable name.
void PointLink(const std::filesystem::path& link, const std::string& target) {
    const std::filesystem::path fresh = link.string() + ".new";
    std::filesystem::create_symlink(target, fresh);
    std::filesystem::rename(fresh, link);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ModemPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        port.SetPortName(peer.SlavePath());
        ASSERT_TRUE(port.Open());
    }

    PtyPeer peer;
    ScaledClock clock{100};
    ModemPort port{clock};
};

TEST_F(ModemPortTest, StatusLinesEndTheReadAtOnce) {
    peer.QueueReply("AT\r\n\r\nOK\r\n");
    Exchange ok = RunExchange(port, clock, "AT\r\n");
    EXPECT_EQ(ok.raw, "AT\r\n\r\nOK\r\n");
    EXPECT_EQ(ok.payload, "");
    EXPECT_TRUE(ok.outcome);
    EXPECT_LT(ok.receiveMs, static_cast<std::uint64_t>(kTimeoutMs));

    peer.QueueReply("\r\nERROR\r\n");
    Exchange error = RunExchange(port, clock, "AT+X\r\n");
    EXPECT_FALSE(error.outcome);
    EXPECT_EQ(error.payload, "");
    EXPECT_LT(error.receiveMs, static_cast<std::uint64_t>(kTimeoutMs));

    peer.QueueReply("\r\nERROR\r\nOK\r\n");
    EXPECT_FALSE(RunExchange(port, clock, "AT+Y\r\n").outcome);

    peer.QueueReply("AT+CGMI\r\n\r\nWAVECOM\r\n\r\nOK\r\n");
    EXPECT_EQ(RunExchange(port, clock, "AT+CGMI\r\n").payload, "WAVECOM");

    // A NUL byte cuts the reply: what followed it is lost, so the reply is no
    // answer, but the status behind it still ends the read.
    peer.QueueReply(std::string("\r\nAB\0CD\r\nOK\r\n", 13));
    ASSERT_TRUE(port.Send("AT+Z\r\n"));
    const std::uint64_t nulStart = clock.NowMs();
    std::string cut;
    EXPECT_FALSE(port.Receive("AT+Z\r\n", kReplyBytes, kTimeoutMs, false, nullptr, cut));
    EXPECT_EQ(cut, "\r\nAB");
    EXPECT_LT(clock.NowMs() - nulStart, static_cast<std::uint64_t>(kTimeoutMs));

    // An extended error result is a refusal, ended and failed as ERROR is.
    for (const std::string extended : {"+CME ERROR: 10", "+CMS ERROR: 500"}) {
        peer.QueueReply("AT+CIMI\r\n\r\n" + extended + "\r\n");
        Exchange cme = RunExchange(port, clock, "AT+CIMI\r\n");
        EXPECT_FALSE(cme.outcome) << extended;
        EXPECT_EQ(cme.payload, "");
        EXPECT_LT(cme.receiveMs, static_cast<std::uint64_t>(kTimeoutMs));
    }

    // Raw mode reads on past status lines, but an ERROR status with nothing
    // after it is a refusal: nothing more is coming.
    peer.QueueReply("at&usbinterface=110\r\n\r\nERROR\r\n");
    Exchange refused = RunExchange(port, clock, "at&usbinterface=110\r\n", {.rawMode = true});
    EXPECT_FALSE(refused.outcome);
    EXPECT_LT(refused.receiveMs, static_cast<std::uint64_t>(kTimeoutMs));
    // Output that follows the ERROR line within the short wait is read on.
    RecordingProgress progress;
    progress.onSet = [&] {
        if (progress.Position() == 1) {
            peer.Write("\r\nERROR\r\n");
            peer.StartStreaming();
        }
    };
    Exchange more = RunExchange(port, clock, "at&usbinterface=110\r\n",
                                {.rawMode = true, .progress = &progress});
    EXPECT_NE(more.raw.find("\r\nERROR\r\nchatter\r\n"), std::string::npos) << more.raw;

    EXPECT_EQ(peer.Received(),
              "AT\r\nAT+X\r\nAT+Y\r\nAT+CGMI\r\nAT+Z\r\nAT+CIMI\r\nAT+CIMI\r\n"
              "at&usbinterface=110\r\n"
              "at&usbinterface=110\r\n");
}

TEST_F(ModemPortTest, WithoutAStatusTheReadLastsUntilTheDeadline) {
    // An error word inside a line is no result.
    peer.QueueReply("\r\n+CPIN: SIM PIN +CME ERROR: 10\r\n");
    Exchange inside = RunExchange(port, clock, "AT+CPIN?\r\n");
    EXPECT_GT(inside.receiveMs, static_cast<std::uint64_t>(kTimeoutMs));
    EXPECT_TRUE(inside.outcome);

    // Raw mode does not look for a status.
    peer.QueueReply("\r\nOK\r\n");
    Exchange raw = RunExchange(port, clock, "at&usbinterface=110\r\n", {.rawMode = true});
    EXPECT_GT(raw.receiveMs, static_cast<std::uint64_t>(kTimeoutMs));
    EXPECT_EQ(raw.raw, "\r\nOK\r\n");
}

TEST_F(ModemPortTest, AReplyThatFillsTheBufferWithoutAStatusWasCutShort) {
    TempDir dir;
    CommandLog log;
    ASSERT_TRUE(log.Open((dir.Path() / "command.log").string()));
    port.SetLog(&log);
    peer.QueueReply("0123456789ABCDEFGHIJ\r\nOK\r\n");
    ASSERT_TRUE(port.Send("AT+BIG\r\n"));
    const std::uint64_t start = clock.NowMs();
    std::string reply;
    EXPECT_FALSE(port.Receive("AT+BIG\r\n", 16, kTimeoutMs, false, nullptr, reply));
    EXPECT_LT(clock.NowMs() - start, static_cast<std::uint64_t>(kTimeoutMs));
    EXPECT_EQ(reply, "0123456789ABCDEF");
    EXPECT_NE(ReadFile(dir.Path() / "command.log").find("CUT SHORT"), std::string::npos);

    // A reply that merely times out is not cut short.
    peer.QueueReply("\r\n0123");
    EXPECT_TRUE(RunExchange(port, clock, "AT+SLOW\r\n", {.maxBytes = 16}).outcome);
}

// The rest of a reply that overflowed its buffer comes late, after a silence:
// it is read away up to its status, OK or ERROR, so that it cannot pass for
// the reply to the next command.
TEST_F(ModemPortTest, TheRestOfAReplyCutShortIsReadAwayUpToItsStatus) {
    for (const std::string& status : std::vector<std::string>{"\r\nOK\r\n", "\r\nERROR\r\n"}) {
        SCOPED_TRACE(status);
        RecordingProgress progress;
        int silences = 0;
        progress.onSet = [&] {
            if (++silences == 1)
                peer.Write("GHIJ" + status);
            else if (silences == 2)
                peer.Write("\r\n+NEXT\r\n\r\nOK\r\n");
        };
        peer.QueueReply("0123456789ABCDEF");
        ASSERT_TRUE(port.Send("AT+BIG\r\n"));
        std::string reply;
        EXPECT_FALSE(port.Receive("AT+BIG\r\n", 16, kTimeoutMs, false, &progress, reply));

        ASSERT_TRUE(port.Send("AT+NEXT\r\n"));
        ASSERT_TRUE(port.Receive("AT+NEXT\r\n", kReplyBytes, kTimeoutMs, false, &progress, reply));
        std::string payload;
        EXPECT_TRUE(port.Parse("AT+NEXT\r\n", reply, payload));
        EXPECT_EQ(payload, "+NEXT");
    }
}

// An answer that comes after its command's deadline is drained before the
// next command goes out, instead of being read as the next command's answer.
TEST(ModemPortLate, ALateAnswerIsNotTakenForTheNextOne) {
    PtyPeer peer;
    ModemPort port;  // on real time: the quiet is waited for on the line
    port.SetPortName(peer.SlavePath());
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(port.Send("AT+CGMI\r\n"));
    std::string reply;
    ASSERT_TRUE(port.Receive("AT+CGMI\r\n", kReplyBytes, 500, false, nullptr, reply));
    EXPECT_EQ(reply, "");
    // The gateway answers in order: the late answer first, 150 ms on (past
    // one quiet short wait), then the next command's.
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        peer.Write("\r\nWAVECOM\r\n\r\nOK\r\n");
        if (peer.WaitForReceived(std::string("AT+CGMI\r\nAT+CGSN\r\n").size()))
            peer.Write("\r\nSERIAL\r\n\r\nOK\r\n");
    });
    const Exchange next = RunExchange(port, Clock::System(), "AT+CGSN\r\n");
    late.join();
    EXPECT_EQ(next.payload, "SERIAL");
}

// A wait the user cancelled is a failed read, whatever came before it.
TEST_F(ModemPortTest, ACancelledReadFails) {
    RecordingProgress progress;
    progress.onSet = [&] { port.CancelWait(); };
    peer.QueueReply("\r\npartial");
    ASSERT_TRUE(port.Send("AT\r\n"));
    std::string reply;
    EXPECT_FALSE(port.Receive("AT\r\n", kReplyBytes, kTimeoutMs, false, &progress, reply));
    EXPECT_TRUE(port.GaveUp());
}

TEST_F(ModemPortTest, AFullBufferInRawModeKeepsItsBytesAndDoesNotSpin) {
    RecordingProgress progress;
    peer.QueueReply("0123456789ABCDEFGHIJ\r\nOK\r\n");
    Exchange full = RunExchange(port, clock, "at&usbinterface=110\r\n",
                                {.maxBytes = 16, .rawMode = true, .progress = &progress});
    EXPECT_EQ(full.raw, "0123456789ABCDEF");
    EXPECT_GT(full.receiveMs, static_cast<std::uint64_t>(kTimeoutMs));
    // One step per short wait, not one per loop turn.
    EXPECT_LE(progress.Position(), kTimeoutMs / 100 + 2);
}

TEST_F(ModemPortTest, DrainDropsStaleInputButKeepsWrittenBytes) {
    peer.Write("\r\nRING\r\n");
    peer.QueueReply("\r\nOK\r\n");
    EXPECT_EQ(RunExchange(port, clock, "AT\r\n").raw, "\r\nOK\r\n");

    // Bytes not yet taken by the other side must still arrive after a drain.
    const std::string data(2000, 'd');
    peer.Hold();
    EXPECT_EQ(port.WriteRaw(data.data(), data.size()), static_cast<long>(data.size()));
    EXPECT_TRUE(port.Drain());
    peer.Release();
    ASSERT_TRUE(peer.WaitForReceived(4 + data.size()));
    EXPECT_EQ(peer.Received(), "AT\r\n" + data);
}

TEST_F(ModemPortTest, DrainEndsEvenWhenTheLineNeverFallsSilent) {
    peer.StartStreaming();
    EXPECT_TRUE(port.Drain());
}

TEST(ModemPortLine, APortFoundInTheDefaultLineModePassesEveryByteUnchanged) {
    PtyPeer peer(PtyPeer::LineMode::Default);
    ScaledClock clock(100);
    ModemPort port(clock);
    port.SetPortName(peer.SlavePath());
    ASSERT_TRUE(port.Open());

    // Lone CR and LF, the interrupt, flow control, erase and end-of-file
    // characters and bytes with the high bit set, both ways.
    const std::string command = "AT\r\x03\x11\x13\x7f\x04\xff\n\r\n";
    const std::string reply = "\r\n\x03\x13\x11\x7f\x04\xe9\rX\nY\r\n\r\nOK\r\n";
    peer.QueueReply(reply);
    ASSERT_TRUE(port.Send(command));
    std::string received;
    ASSERT_TRUE(port.Receive(command, kReplyBytes, kTimeoutMs, false, nullptr, received));
    EXPECT_EQ(received, reply);
    EXPECT_EQ(peer.Received(), command) << "nothing altered, nothing echoed";
}

TEST(ModemPortLine, ACommandLongerThanTheLineTakesReachesASlowPeerWhole) {
    PtyPeer peer;
    ScaledClock clock(100);
    ModemPort port(clock);
    port.SetPortName(peer.SlavePath());
    ASSERT_TRUE(port.Open());

    std::string document = "<rci_request version=\"1.1\"><set_setting>";
    while (document.size() < 300000)
        document += "<apn>internet.linkhold.example</apn>";
    document += "</set_setting></rci_request>";
    peer.Hold();
    std::thread slowReader([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        peer.Release();
    });
    const bool sent = port.Send(document);
    slowReader.join();
    ASSERT_TRUE(sent);
    ASSERT_TRUE(peer.WaitForReceived(document.size()));
    EXPECT_TRUE(peer.Received() == document);
}

// A peer still attached but no longer reading: neither a command nor file
// data blocks for good. A write that makes no progress for ten seconds fails
// and gives up the port (no reopen: the device is still there).
TEST(ModemPortStall, WritesToAPeerThatStoppedReadingFailAfterTheStallBound) {
    PtyPeer peer;
    ManualClock clock;
    ModemPort port(clock);
    port.SetPortName(peer.SlavePath());
    ASSERT_TRUE(port.Open());
    peer.Hold();
    const std::string big(1 << 20, 'd');
    for (const bool command : {true, false}) {
        SCOPED_TRACE(command ? "Send" : "WriteRaw");
        port.ClearGiveUp();
        const std::uint64_t start = clock.NowMs();
        if (command) {
            EXPECT_FALSE(port.Send(big));
        } else {
            long count = 0;
            while ((count = port.WriteRaw(big.data(), big.size())) > 0) {
            }
            EXPECT_EQ(count, -1);
        }
        EXPECT_GE(clock.NowMs() - start, 10000u);
        // The line may take a last few bytes in the first moments, which
        // starts the ten seconds over; never anything near a minute.
        EXPECT_LT(clock.NowMs() - start, 30000u);
        EXPECT_TRUE(port.GaveUp());
        EXPECT_TRUE(port.IsOpen());
    }
}

TEST(ModemPortSleep, PausesOnTheClockWithoutWriting) {
    PtyPeer peer;
    ManualClock clock;
    ModemPort port(clock);
    port.SetPortName(peer.SlavePath());
    ASSERT_TRUE(port.Open());
    RecordingProgress progress;
    progress.SetPosition(5);

    const std::uint64_t start = clock.NowMs();
    ASSERT_TRUE(port.Send("SLEEP"));
    std::string reply;
    ASSERT_TRUE(port.Receive("SLEEP", kReplyBytes, kTimeoutMs, false, &progress, reply));
    EXPECT_GE(clock.NowMs() - start, static_cast<std::uint64_t>(kTimeoutMs));
    // One step per 200 ms of a 20 s pause.
    EXPECT_GE(progress.Position(), 5 + 100);
    EXPECT_LE(progress.Position(), 5 + 101);
    std::string payload;
    EXPECT_TRUE(port.Parse("SLEEP", reply, payload));
    EXPECT_EQ(payload, "");
    EXPECT_EQ(peer.Received(), "");

    // A pause shorter than a hundred steps still ends.
    ASSERT_TRUE(port.Receive("SLEEP", kReplyBytes, 50, false, nullptr, reply));
}

class VanishingPeerTest : public ::testing::Test {
protected:
    void SetUp() override {
        link = dir.Path() / "gateway";
        first = std::make_unique<PtyPeer>();
        std::filesystem::create_symlink(first->SlavePath(), link);
    }

    // The device goes away and udev removes its node with it. A link left
    // pointing at the freed pseudo-terminal would let the reopen loop take
    // the next one the system hands out, possibly another test's.
    // Once: a progress callback may ask again after the device came back.
    void Unplug() {
        if (unplugged)
            return;
        unplugged = true;
        first->Vanish();
        std::filesystem::remove(link);
    }

    void ComeBack() {
        second = std::make_unique<PtyPeer>();
        second->QueueReply("\r\nOK\r\n");
        PointLink(link, second->SlavePath());
    }

    TempDir dir;
    std::filesystem::path link;
    std::unique_ptr<PtyPeer> first;
    std::unique_ptr<PtyPeer> second;
    bool unplugged = false;
};

TEST_F(VanishingPeerTest, SendWaitsForTheDeviceAndCarriesOnAsSoonAsItIsBack) {
    ManualClock clock;
    ModemPort port(clock);
    port.SetPortName(link.string());
    ASSERT_TRUE(port.Open());
    Unplug();
    const std::uint64_t start = clock.NowMs();
    clock.onSleep = [&] {
        if (!second && clock.NowMs() - start > 2 * ModemPort::kReopenIntervalMs)
            ComeBack();
    };

    ASSERT_TRUE(port.Send("AT\r\n"));
    // Noticed by the watch on the link's directory, not at the next
    // once-a-second attempt.
    EXPECT_GT(clock.NowMs() - start, 2 * ModemPort::kReopenIntervalMs);
    EXPECT_LE(clock.NowMs() - start, 2 * ModemPort::kReopenIntervalMs + 200);
    ASSERT_TRUE(second->WaitForReceived(4));
    EXPECT_EQ(second->Received(), "AT\r\n");
    std::string reply;
    ASSERT_TRUE(port.Receive("AT\r\n", kReplyBytes, 1000, false, nullptr, reply));
    EXPECT_EQ(reply, "\r\nOK\r\n");
}

TEST_F(VanishingPeerTest, SendOutwaitsAFiveMinuteRestart) {
    ManualClock clock;
    ModemPort port(clock);
    port.SetPortName(link.string());
    ASSERT_TRUE(port.Open());
    Unplug();
    const std::uint64_t start = clock.NowMs();
    clock.onSleep = [&] {
        if (!second && clock.NowMs() - start > 330000)
            ComeBack();
    };

    ASSERT_TRUE(port.Send("AT\r\n"));
    ASSERT_TRUE(second->WaitForReceived(4));
    EXPECT_FALSE(port.GaveUp());
}

TEST_F(VanishingPeerTest, SendGivesUpWhenTheDeviceStaysAway) {
    ManualClock clock;
    ModemPort port(clock);
    port.SetPortName(link.string());
    ASSERT_TRUE(port.Open());
    Unplug();

    const std::uint64_t start = clock.NowMs();
    EXPECT_FALSE(port.Send("AT\r\n"));
    EXPECT_GE(clock.NowMs() - start, ModemPort::kReopenLimitMs);
    EXPECT_LE(clock.NowMs() - start, ModemPort::kReopenLimitMs + ModemPort::kReopenIntervalMs);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.GaveUp());
}

TEST_F(VanishingPeerTest, RawReadStopsOnceTheDeviceIsBack) {
    ScaledClock clock(10);
    ModemPort port(clock);
    port.SetPortName(link.string());
    ASSERT_TRUE(port.Open());
    const std::string command = "at&usbinterface=110\r\n";
    first->QueueReply("partial");
    ASSERT_TRUE(port.Send(command));
    ASSERT_TRUE(first->WaitForReceived(command.size()));

    // Unplugged after the first silent read, plugged in during the pause.
    RecordingProgress progress;
    progress.onSet = [&] { Unplug(); };
    clock.onSleep = [&] {
        if (!second)
            ComeBack();
    };
    const std::uint64_t start = clock.NowMs();
    std::string reply;
    ASSERT_TRUE(port.Receive(command, kReplyBytes, kTimeoutMs, true, &progress, reply));
    EXPECT_LT(clock.NowMs() - start, static_cast<std::uint64_t>(kTimeoutMs));
    EXPECT_EQ(reply, "partial");
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(VanishingPeerTest, LongRawReadEndsWithinASecondOfTheDeviceComingBack) {
    ScaledClock clock(4);
    ModemPort port(clock);
    port.SetPortName(link.string());
    ASSERT_TRUE(port.Open());
    const std::string command = "at&usbinterface=110\r\n";
    ASSERT_TRUE(port.Send(command));
    ASSERT_TRUE(first->WaitForReceived(command.size()));

    // Away for six seconds of a five-minute install wait: many reads fail
    // and many reopen attempts fail before the device is back, early in a
    // pause between two attempts.
    Unplug();
    const std::uint64_t start = clock.NowMs();
    std::uint64_t backAt = 0;
    clock.onSleep = [&] {
        if (!second && clock.NowMs() - start >= 6100) {
            ComeBack();
            backAt = clock.NowMs();
        }
    };
    std::string reply;
    ASSERT_TRUE(port.Receive(command, kReplyBytes, 300000, true, nullptr, reply));
    ASSERT_NE(backAt, 0u);
    // At most a second of pause, plus the reopen's drain, which waits 100 ms
    // of real time for silence (400 ms on this clock), plus room for a busy
    // machine. A pause of a hundredth of the timeout would last 3 s.
    EXPECT_LT(clock.NowMs() - backAt, 2500u);
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(VanishingPeerTest, ReadKeepsItsBytesUntilTheDeadlineWhileTheDeviceIsAway) {
    ScaledClock clock(100);
    ModemPort port(clock);
    port.SetPortName(link.string());
    ASSERT_TRUE(port.Open());
    first->QueueReply("\r\npartial");
    ASSERT_TRUE(port.Send("AT\r\n"));
    ASSERT_TRUE(first->WaitForReceived(4));

    RecordingProgress progress;
    progress.onSet = [&] { Unplug(); };
    const std::uint64_t start = clock.NowMs();
    std::string reply;
    ASSERT_TRUE(port.Receive("AT\r\n", kReplyBytes, kTimeoutMs, false, &progress, reply));
    EXPECT_GT(clock.NowMs() - start, static_cast<std::uint64_t>(kTimeoutMs));
    EXPECT_EQ(reply, "\r\npartial");
    EXPECT_FALSE(port.IsOpen());
}

// What sysfs says of the device on a node, as the test sets it.
struct SwappableIdentity : DeviceIdentity {
    std::string current = "usb 1234:5678 'WAVECOM' serial '1' interface 00";
    std::string Of(int) override { return current; }
};

// A port named by its bare node is reopened only while the node holds the
// device of the first open: another device there is a lost port at once, and
// nothing reaches it.
TEST(ModemPortIdentity, ANodeTakenByAnotherDeviceIsALostPort) {
    PtyPeer peer;
    ManualClock clock;
    ModemPort port(clock);
    SwappableIdentity identity;
    port.SetIdentitySource(identity);
    port.SetPortName(peer.SlavePath());
    ASSERT_TRUE(port.Open());
    port.Close();
    ASSERT_TRUE(port.Open()) << "the same device";
    port.Close();

    identity.current = "usb 1234:5678 'WAVECOM' serial '2' interface 00";
    const std::uint64_t start = clock.NowMs();
    EXPECT_FALSE(port.Send("AT\r\n"));
    EXPECT_TRUE(port.GaveUp());
    EXPECT_LT(clock.NowMs() - start, ModemPort::kReopenIntervalMs);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(peer.Received(), "");

    // A link follows the gateway to whatever it points at.
    TempDir dir;
    const std::filesystem::path link = dir.Path() / "gateway";
    std::filesystem::create_symlink(peer.SlavePath(), link);
    port.SetPortName(link.string());
    ASSERT_TRUE(port.Open());
    port.Close();
    identity.current = "usb 1234:5678 'WAVECOM' serial '3' interface 00";
    EXPECT_TRUE(port.Open());
}

// Without a USB identity (a pseudo-terminal), a node is known by its device
// number and creation: two pseudo-terminals differ, one stays itself.
TEST(ModemPortIdentity, PseudoTerminalsAreToldApart) {
    PtyPeer first;
    PtyPeer second;
    SerialDevice a;
    SerialDevice b;
    ASSERT_TRUE(a.Open(first.SlavePath()));
    ASSERT_TRUE(b.Open(second.SlavePath()));
    SysfsDeviceIdentity identity;
    const std::string firstIdentity = identity.Of(a.Descriptor());
    EXPECT_FALSE(firstIdentity.empty());
    EXPECT_NE(firstIdentity, identity.Of(b.Descriptor()));
    a.Close();
    ASSERT_TRUE(a.Open(first.SlavePath()));
    EXPECT_EQ(identity.Of(a.Descriptor()), firstIdentity);
}

TEST(CommandLogFile, RecordsEveryBlockByteForByte) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    TempDir dir;
    const std::filesystem::path path = dir.Path() / "command.log";
    std::ofstream(path) << "earlier run\n";

    CommandLog log;
    ASSERT_TRUE(log.Open(path.string()));
    log.WriteStartBlock("Tarvel R7 Dashboard", "Version 1.0.20.0", 1700000000);

    PtyPeer peer;
    ScaledClock clock(100);
    ModemPort port(clock);
    port.SetPortName(peer.SlavePath());
    ASSERT_TRUE(port.Open());
    port.SetLog(&log);
    peer.QueueReply("AT+CGMI\r\n\r\nWAVECOM\r\n\r\nOK\r\n");
    RunExchange(port, clock, "AT+CGMI\r\n");
    peer.QueueReply("\r\nERROR\r\n");
    RunExchange(port, clock, "AT+X\r\n");
    std::string reply;
    std::string payload;
    ASSERT_TRUE(port.Send("SLEEP"));
    ASSERT_TRUE(port.Receive("SLEEP", kReplyBytes, 100, false, nullptr, reply));
    port.Parse("SLEEP", reply, payload);

    const std::string line(79, '*');
    const std::string s = line + "\r\n";
    const std::string expected =
        "earlier run\n" + s +
        "Tarvel R7 Dashboard Version 1.0.20.0 STARTED AT Tue Nov 14 22:13:20 2023\n" + s +
        "COMMAND:\r\n" + s + "AT+CGMI\r\n\r\n" + s +  //
        "RAW RESPONSE:\r\n" + s + "AT+CGMI\r\n\r\nWAVECOM\r\n\r\nOK\r\n\r\n" + s +
        "PARSED RESPONSE:\r\n" + s + "WAVECOM\r\n" + s + "PARSED RESULT: TRUE\r\n" + s +
        "COMMAND:\r\n" + s + "AT+X\r\n\r\n" + s +            //
        "RAW RESPONSE:\r\n" + s + "\r\nERROR\r\n\r\n" + s +  //
        "PARSED RESPONSE:\r\n" + s + "\r\n" + s + "PARSED RESULT: FALSE\r\n" + s +
        "PARSED RESPONSE:\r\n" + s + "\r\n" + s + "PARSED RESULT: TRUE\r\n" + s;
    // Read while the log is still open: every block is flushed.
    EXPECT_EQ(ReadFile(path), expected);
}

}  // namespace
