#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "link/Clock.h"
#include "link/DeviceIdentity.h"
#include "link/PortWatch.h"
#include "link/SerialDevice.h"

class CommandLog;
class PortWaitListener;
class ProgressIndicator;

// The gateway's one serial port: open and configure it, write a command,
// collect the reply until its status or the deadline, and cut the reply down
// to its payload. One instance, held by the application object and used by one
// worker at a time; nothing here shows a message. Only CancelWait may be
// called from another thread.
class ModemPort {
public:
    // A Send whose write failed keeps reopening the port for this long (longer
    // than the gateway's 300 s restart), then gives up.
    static constexpr std::uint32_t kReopenLimitMs = 360000;
    // A port that went away is tried again as soon as its directory changes,
    // and at least this often in case no change is reported.
    static constexpr std::uint32_t kReopenIntervalMs = 1000;
    // A write that makes no progress for this long has stalled: the gateway
    // is attached but no longer reads.
    static constexpr std::uint32_t kWriteStallMs = 10000;

    explicit ModemPort(Clock& clock = Clock::System());

    // The device path, for example /dev/ttyACM0 or a /dev/serial/by-id link.
    // The first open after it notes which device the path leads to.
    void SetPortName(std::string name);
    std::string PortName() const;

    // The command log to write blocks to, or nullptr for none.
    void SetLog(CommandLog* log);

    // What tells devices apart (the system's unless set): a port named by its
    // node, not by a link that follows the gateway, is reopened only while
    // the node still holds the device of the first open. A node found to hold
    // another device fails the open as a lost port: nothing is sent to it,
    // and the link stops waiting for the gateway (GaveUp).
    void SetIdentitySource(DeviceIdentity& source);

    // Opens the named device exclusively, configures it and drains it. Open,
    // OpenConfigured and Close wait for the turn (see Turn), so the caller
    // must not hold it.
    bool Open();
    // Opens and configures without draining (what discovery does).
    bool OpenConfigured();
    bool IsOpen() const;
    void Close();

    // Discards pending input until the line has been quiet for one short wait.
    // Never discards output that was written. Always true.
    bool Drain();

    // Writes the whole command (drained first); the SLEEP pseudo-command writes
    // nothing. When the port has gone away, reopens it as soon as it is back
    // and writes once more; false when that fails or the port did not come back in time.
    // A write that stalls (kWriteStallMs) is false at once and gives up the
    // port for the rest of the script: reopening would not make the gateway read.
    bool Send(const std::string& command);

    // Collects the reply to the command just sent until it ends in an OK or
    // ERROR status or an extended error result (+CME ERROR, +CMS ERROR),
    // unless rawMode, or timeoutMs has passed since entry. The reply holds at
    // most maxBytes and is cut at a NUL byte. A reply that met its deadline
    // without a status may still be on its way: the next Send first waits for
    // the line to be quiet for 300 ms (at most 2 s). Every failed read (a
    // closed port included) is followed by one reopen attempt; in rawMode a
    // successful reopen ends the read, because the gateway has restarted, and
    // so does an ERROR status followed by a quiet line: the gateway refused
    // the command and has nothing more to say.
    // False when the read policy cannot be installed, when the wait for the
    // port was cancelled or given up, when a reply held a NUL byte (what
    // followed it is lost), and when a reply (not in rawMode) filled maxBytes
    // without a status: such a reply was cut short and is logged as such; its
    // rest is read away up to its status or the deadline (ReplyCutShort).
    bool Receive(const std::string& command, std::size_t maxBytes, int timeoutMs, bool rawMode,
                 ProgressIndicator* progress, std::string& reply);

    // True when the last Receive failed because its reply was cut short.
    bool ReplyCutShort() const { return cutShort_; }
    // True when the last Receive failed because a NUL byte cut its reply.
    bool ReplyCutAtNul() const { return cutAtNul_; }

    // For the next Receive only: the command restarts the gateway. The read
    // goes on past an OK status and ends as soon as the port goes away (the
    // restart), without waiting for it to come back: the next Send does that.
    void ExpectRestart() { restartExpected_ = true; }
    // True when the last Receive ended because the port went away after
    // ExpectRestart.
    bool PortWentAway() const { return wentAway_; }

    // Strips output blocks, status, echo and framing from a raw reply. Returns
    // false when the reply ends in an ERROR status or an extended error result.
    bool Parse(const std::string& command, const std::string& reply, std::string& payload);

    // Who is told when the link waits for the port to come back; nullptr for
    // nobody. Set by the worker for its script.
    void SetWaitListener(PortWaitListener* listener);

    // Any thread: ends a wait for the port. The exchange that waited fails,
    // and so does every later one until ClearGiveUp.
    void CancelWait();
    // True once a Send gave up waiting for the port, a wait was cancelled or
    // the port's node was found to hold another device: the rest of the
    // script should fail at once instead of waiting again.
    bool GaveUp() const;
    // A new script tries the port again.
    void ClearGiveUp();

    // One write of file data straight to the port (upload data phase): no
    // drain, no log. Waits while the port takes nothing, up to kWriteStallMs.
    // Returns the bytes written, or -1 when the write failed or stalled; a
    // stall gives up the port, as in Send.
    long WriteRaw(const char* data, std::size_t size);

    // Held by whoever runs a script or an upload for its whole length, so that
    // the exchanges of two workers (a page's script and the signal monitor)
    // never interleave on the line, and taken by Open and Close, so that the
    // port is never closed or replaced under an exchange. Whoever finds it
    // held knows the port is in use.
    std::mutex& Turn() { return turn_; }

    // errno of the last failed open of the device (EACCES, EBUSY, ENOENT...),
    // so that callers can tell the user why the gateway could not be used.
    int LastOpenError() const { return openError_; }

private:
    // Draining stops after this much uninterrupted input, so that a gateway
    // that never falls silent cannot hold the worker forever.
    static constexpr std::uint32_t kDrainLimitMs = 2000;

    bool OpenDevice();
    bool OpenAndDrain();
    bool FailOpen(int error);
    bool IsOurDevice(int fd);
    bool InstallShortWait();
    void DrainUntilQuiet(int quietWaits);
    bool Reopen();
    bool ReopenUntilBack();
    bool Cancelled() const;
    void WatchPort();
    bool WaitForPortChange(std::uint32_t ms);
    void NoteWaitStart();
    void ShowWait();
    void TellWaited();
    void TellBack();
    void EndWait();
    long WriteWithoutStall(const char* data, std::size_t size);
    bool WriteAll(std::string_view data);
    bool ReopenAfterFailedRead(int timeoutMs, ProgressIndicator* progress, int& position);
    void SkipRestOfReply(std::string_view received, std::uint64_t deadline,
                         ProgressIndicator* progress, int& position);
    bool ReceiveSleep(std::uint64_t deadline, int timeoutMs, ProgressIndicator* progress,
                      int& position, std::string& reply);

    Clock& clock_;
    std::string portName_;
    CommandLog* log_ = nullptr;
    SerialDevice device_;
    int openError_ = 0;
    DeviceIdentity* identitySource_ = &DeviceIdentity::System();
    bool identityNoted_ = false;
    bool namedByNode_ = false;
    std::string identity_;
    PortWaitListener* waitListener_ = nullptr;
    std::unique_ptr<PortWatch> watch_;  // while waiting for the port
    std::atomic<bool> cancelled_{false};
    bool gaveUp_ = false;
    bool waitShown_ = false;
    // When the port was found gone, until it is back or the script ends: a
    // wait that goes on from an install's read to the next command is one.
    std::optional<std::uint64_t> waitStartMs_;
    // How long after waitStartMs_ the link gives up at the latest.
    std::uint64_t waitLimitMs_ = 0;
    bool cutShort_ = false;
    bool restartExpected_ = false;
    bool wentAway_ = false;
    bool cutAtNul_ = false;
    // The last reply met its deadline without a status.
    bool replyMayBeLate_ = false;
    std::mutex turn_;
};
