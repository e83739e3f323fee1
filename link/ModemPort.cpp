#include "link/ModemPort.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "link/CommandLog.h"
#include "link/PortWaitListener.h"
#include "link/ProgressIndicator.h"

namespace {

constexpr std::string_view kSleepCommand = "SLEEP";
constexpr std::string_view kErrorTail = "\r\nERROR\r\n";
constexpr std::string_view kOkTail = "\r\nOK\r\n";
constexpr std::string_view kOkStatus = "OK\r\n";
constexpr std::string_view kErrorStatus = "ERROR\r\n";
constexpr std::string_view kAckLine = "\r\n\x06\r\n";
constexpr std::size_t kDrainChunkBytes = 1024;
constexpr std::size_t kSkipChunkBytes = 64 * 1024;
constexpr std::uint32_t kShortWaitMs = 100;
// After a command met silence its answer may still be on the way: the line
// must stay quiet this many short waits (300 ms) before the next command, so
// that a late answer is drained instead of read as the next one's.
constexpr int kLateReplyQuietWaits = 3;
// How soon a wait for the port notices the user's Cancel.
constexpr std::uint32_t kCancelCheckMs = 100;

bool IsSleep(std::string_view command) {
    return command.starts_with(kSleepCommand);
}

std::uint32_t NonNegative(int ms) {
    return static_cast<std::uint32_t>(std::max(ms, 0));
}

// A pause of a hundredth of the timeout. At least 1 ms: a zero pause would
// spin until the deadline and flood the progress bar.
std::uint32_t HundredthOf(int timeoutMs) {
    return std::max<std::uint32_t>(NonNegative(timeoutMs) / 100, 1);
}

// Where the extended error result that ends `text` begins ("+CME ERROR: 10"
// or "+CMS ERROR: 500" on a line of its own), or npos. A modem with extended
// errors on sends it in place of ERROR, with no ERROR after it.
std::size_t ExtendedErrorStart(std::string_view text) {
    if (!text.ends_with("\r\n"))
        return std::string_view::npos;
    const std::string_view body = text.substr(0, text.size() - 2);
    const std::size_t lineBreak = body.rfind('\n');
    const std::size_t start = lineBreak == std::string_view::npos ? 0 : lineBreak + 1;
    const std::string_view line = body.substr(start);
    const bool extended = line.starts_with("+CME ERROR:") || line.starts_with("+CMS ERROR:");
    return extended ? start : std::string_view::npos;
}

// A refusal, in either form: the reply is over.
bool EndsWithError(std::string_view text) {
    return text.ends_with(kErrorTail) || ExtendedErrorStart(text) != std::string_view::npos;
}

bool CutExtendedError(std::string& text) {
    const std::size_t start = ExtendedErrorStart(text);
    if (start == std::string::npos)
        return false;
    text.resize(start);
    return true;
}

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// Removes every OPEN...CLOSE block. The closing marker is only looked for
// after the opening one: a stray closing marker ahead of an opening one
// stays text, instead of making the cut splice text back in over and over.
void RemoveBlocks(std::string& text, std::string_view open, std::string_view close) {
    for (;;) {
        const std::size_t begin = text.find(open);
        if (begin == std::string::npos)
            return;
        const std::size_t end = text.find(close, begin + open.size());
        if (end == std::string::npos)
            return;
        text.erase(begin, end + close.size() - begin);
    }
}

bool CutSuffix(std::string& text, std::string_view suffix) {
    if (!text.ends_with(suffix))
        return false;
    text.resize(text.size() - suffix.size());
    return true;
}

void StripLineBreaks(std::string& text) {
    const std::size_t last = text.find_last_not_of("\r\n");
    text.resize(last == std::string::npos ? 0 : last + 1);
    text.erase(0, text.find_first_not_of("\r\n"));
}

void AdvanceProgress(ProgressIndicator* progress, int& position, int steps) {
    if (progress == nullptr)
        return;
    position += steps;
    progress->SetPosition(position);
}

}  // namespace

ModemPort::ModemPort(Clock& clock) : clock_(clock) {}

void ModemPort::SetPortName(std::string name) {
    portName_ = std::move(name);
    identityNoted_ = false;
}

std::string ModemPort::PortName() const {
    return portName_;
}

void ModemPort::SetLog(CommandLog* log) {
    log_ = log;
}

void ModemPort::SetIdentitySource(DeviceIdentity& source) {
    identitySource_ = &source;
}

void ModemPort::SetWaitListener(PortWaitListener* listener) {
    waitListener_ = listener;
}

void ModemPort::CancelWait() {
    cancelled_.store(true);
}

bool ModemPort::Cancelled() const {
    return cancelled_.load();
}

bool ModemPort::GaveUp() const {
    return gaveUp_ || Cancelled();
}

void ModemPort::ClearGiveUp() {
    gaveUp_ = false;
    cancelled_.store(false);
    waitStartMs_.reset();
    waitLimitMs_ = 0;
}

// Unless a wait is going on: a wait that began in an install's read goes on
// in the next command's reopen loop, which sets its own bound.
void ModemPort::NoteWaitStart() {
    if (waitStartMs_)
        return;
    waitStartMs_ = clock_.NowMs();
    waitLimitMs_ = kReopenLimitMs;
}

// The listener hears once that the link waits for the port, and once that
// the wait is over.
void ModemPort::ShowWait() {
    if (waitShown_ || waitListener_ == nullptr)
        return;
    waitShown_ = true;
    waitListener_->WaitingForPort(true);
    TellWaited();
}

void ModemPort::TellWaited() {
    if (waitShown_ && waitStartMs_)
        waitListener_->WaitedForPort(clock_.NowMs() - *waitStartMs_, waitLimitMs_);
}

void ModemPort::TellBack() {
    waitStartMs_.reset();
    waitLimitMs_ = 0;
    if (waitShown_)
        waitListener_->PortBack();
}

void ModemPort::EndWait() {
    watch_.reset();
    if (!waitShown_)
        return;
    waitShown_ = false;
    waitListener_->WaitingForPort(false);
}

// Set up before the first reopen attempt, so that a port coming back right
// after it is not missed.
void ModemPort::WatchPort() {
    if (!watch_)
        watch_ = std::make_unique<PortWatch>(portName_);
}

// Waits in short slices so that a Cancel ends the wait at once (false then),
// and is over as soon as the port's directory changes. Without inotify it is
// a plain pause, and the reopen attempts after it the slow fallback.
bool ModemPort::WaitForPortChange(std::uint32_t ms) {
    WatchPort();
    while (ms > 0 && !Cancelled()) {
        const std::uint32_t slice = std::min(ms, kCancelCheckMs);
        if (watch_->Wait(clock_, slice))
            break;
        ms -= slice;
        TellWaited();
    }
    return !Cancelled();
}

bool ModemPort::FailOpen(int error) {
    openError_ = error;
    device_.Close();
    return false;
}

// Checked before the device is locked or configured: another device's node
// is not ours to touch.
bool ModemPort::OpenDevice() {
    bool ours = true;
    const auto accept = [&](int fd) { return ours = IsOurDevice(fd); };
    if (!device_.Open(portName_, accept)) {
        // Another device there: the gateway is not coming back on this node.
        gaveUp_ = gaveUp_ || !ours;
        return FailOpen(device_.LastError());
    }
    if (!device_.Configure())
        return FailOpen(device_.LastError());
    openError_ = 0;
    return true;
}

// A link (by-id, or the simulator's) follows the gateway to whatever node it
// comes back on. A bare node may be handed to another device or process while
// the gateway restarts, so it must still hold the device of the first open.
bool ModemPort::IsOurDevice(int fd) {
    const std::string identity = identitySource_->Of(fd);
    if (!identityNoted_) {
        identityNoted_ = true;
        identity_ = identity;
        std::error_code error;
        namedByNode_ = !std::filesystem::is_symlink(portName_, error);
        return true;
    }
    return !namedByNode_ || (!identity.empty() && identity == identity_);
}

// Opening and closing take the turn: a worker in the middle of an exchange
// would otherwise find its descriptor gone (or another one) under its read.
bool ModemPort::Open() {
    const std::scoped_lock turn(turn_);
    return OpenAndDrain();
}

bool ModemPort::OpenConfigured() {
    const std::scoped_lock turn(turn_);
    return OpenDevice();
}

bool ModemPort::IsOpen() const {
    return device_.IsOpen();
}

void ModemPort::Close() {
    const std::scoped_lock turn(turn_);
    device_.Close();
}

bool ModemPort::OpenAndDrain() {
    if (!OpenDevice())
        return false;
    Drain();
    return true;
}

bool ModemPort::InstallShortWait() {
    return device_.InstallShortWait();
}

// Called by the worker that holds the turn.
bool ModemPort::Reopen() {
    device_.Close();
    return OpenAndDrain();
}

bool ModemPort::Drain() {
    DrainUntilQuiet(1);
    return true;
}

void ModemPort::DrainUntilQuiet(int quietWaits) {
    InstallShortWait();
    const std::uint64_t start = clock_.NowMs();
    std::array<char, kDrainChunkBytes> chunk{};
    long count = 0;
    int quiet = 0;
    do {
        device_.DiscardInput();
        count = device_.Read(chunk.data(), chunk.size());
        quiet = count == 0 ? quiet + 1 : 0;
    } while (count >= 0 && quiet < quietWaits && clock_.NowMs() - start < kDrainLimitMs);
    InstallShortWait();
}

// The gateway's port disappears while it restarts (reboot, firmware
// install); keep trying until it is back or clearly is not coming back.
bool ModemPort::ReopenUntilBack() {
    const std::uint64_t start = clock_.NowMs();
    NoteWaitStart();
    waitLimitMs_ = start + kReopenLimitMs - *waitStartMs_;
    WatchPort();
    bool back = false;
    while (!(back = Reopen())) {
        ShowWait();
        if (gaveUp_ || clock_.NowMs() - start >= kReopenLimitMs ||
            !WaitForPortChange(kReopenIntervalMs)) {
            gaveUp_ = true;
            break;
        }
    }
    if (back)
        TellBack();
    return back;
}

// One write that waits for room in the output queue while the port takes
// nothing, but not past the stall bound. On a stall, what the port holds
// unsent is dropped (the gateway will not take it, and a close would wait for
// it) and the port is given up.
long ModemPort::WriteWithoutStall(const char* data, std::size_t size) {
    const std::uint64_t start = clock_.NowMs();
    for (;;) {
        const long count = device_.WriteSome(data, size);
        if (count != 0 || size == 0)
            return count;
        if (clock_.NowMs() - start >= kWriteStallMs || Cancelled()) {
            device_.DiscardOutput();
            gaveUp_ = true;
            return -1;
        }
        // The wait is the clock's, the check for a hang-up the device's.
        if (!clock_.WaitWritable(device_.Descriptor(), kShortWaitMs) && !device_.WaitWritable(0))
            return -1;
    }
}

bool ModemPort::WriteAll(std::string_view data) {
    while (!data.empty()) {
        const long count = WriteWithoutStall(data.data(), data.size());
        if (count < 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

bool ModemPort::Send(const std::string& command) {
    DrainUntilQuiet(std::exchange(replyMayBeLate_, false) ? kLateReplyQuietWaits : 1);
    if (IsSleep(command))
        return true;
    bool written = WriteAll(command);
    if (!written && !GaveUp()) {
        written = ReopenUntilBack() && WriteAll(command);
        // Only now: closing the inotify descriptor can take tens of
        // milliseconds, which the command need not wait for.
        EndWait();
    }
    if (log_ != nullptr)
        log_->WriteCommand(command);
    return written;
}

bool ModemPort::ReceiveSleep(std::uint64_t deadline, int timeoutMs, ProgressIndicator* progress,
                             int& position, std::string& reply) {
    const std::uint32_t step = HundredthOf(timeoutMs);
    while (clock_.NowMs() <= deadline) {
        clock_.SleepMs(step);
        AdvanceProgress(progress, position, 1);
    }
    Drain();
    reply.assign(kSleepCommand);
    return true;
}

// After a failed read: pauses, then tries one reopen. True when the port is
// back.
bool ModemPort::ReopenAfterFailedRead(int timeoutMs, ProgressIndicator* progress, int& position) {
    // The pause is a hundredth of the timeout, but at most the reopen
    // interval, and over once the port's directory changes: a five-minute
    // install wait carries on as soon as the restarted gateway is back.
    const std::uint32_t pause = std::min(HundredthOf(timeoutMs), kReopenIntervalMs);
    const std::uint64_t start = clock_.NowMs();
    NoteWaitStart();
    if (!WaitForPortChange(pause))
        return false;
    AdvanceProgress(progress, position, static_cast<int>((clock_.NowMs() - start) / 100));
    if (!Reopen()) {
        ShowWait();
        return false;
    }
    TellBack();
    EndWait();
    return true;
}

// A reply that overflowed its buffer is still arriving: its rest is read and
// dropped up to its status (or the deadline), so that it cannot pass for the
// reply to the next command. Only a short tail is kept, to see the status.
void ModemPort::SkipRestOfReply(std::string_view received, std::uint64_t deadline,
                                ProgressIndicator* progress, int& position) {
    // Room for a verbose extended error line.
    constexpr std::size_t kTailBytes = 80;
    std::string tail(received.substr(received.size() - std::min(received.size(), kTailBytes)));
    std::string chunk(kSkipChunkBytes, '\0');
    while (clock_.NowMs() <= deadline && !Cancelled()) {
        const long got = device_.Read(chunk.data(), chunk.size());
        if (got < 0)
            return;  // the port is gone; the next command reopens it
        if (got == 0)
            AdvanceProgress(progress, position, 1);
        tail.append(chunk.data(), static_cast<std::size_t>(got));
        if (EndsWithError(tail) || tail.ends_with(kOkTail))
            return;
        if (tail.size() > kTailBytes)
            tail.erase(0, tail.size() - kTailBytes);
    }
}

bool ModemPort::Receive(const std::string& command, std::size_t maxBytes, int timeoutMs,
                        bool rawMode, ProgressIndicator* progress, std::string& reply) {
    const std::uint64_t deadline = clock_.NowMs() + NonNegative(timeoutMs);
    int position = progress != nullptr ? progress->Position() : 0;
    cutShort_ = false;
    wentAway_ = false;
    const bool restart = std::exchange(restartExpected_, false);
    cutAtNul_ = false;
    if (IsSleep(command))
        return ReceiveSleep(deadline, timeoutMs, progress, position, reply);
    // A port that went away before the read began (the gateway restarting
    // right after its answer) is a failed read like any later one.
    if (!InstallShortWait() && !device_.Lost())
        return false;

    std::string received(maxBytes, '\0');
    std::size_t count = 0;
    bool ended = false;
    while (clock_.NowMs() <= deadline && !GaveUp()) {
        long got = 0;
        if (count < maxBytes) {
            got = device_.Read(received.data() + count, maxBytes - count);
        } else {
            // A full buffer reads nothing; wait as a silent read would
            // instead of spinning until the deadline.
            clock_.SleepMs(kShortWaitMs);
        }
        if (got < 0) {
            wentAway_ = restart;
            if (restart || (ReopenAfterFailedRead(timeoutMs, progress, position) && rawMode))
                break;
            continue;
        }
        if (got == 0)
            AdvanceProgress(progress, position, 1);
        count += static_cast<std::size_t>(got);
        const std::string_view sofar(received.data(), count);
        if (rawMode) {
            // Raw mode reads on past status lines, but not past a refusal:
            // an ERROR status with nothing after it is the last word.
            if (got == 0 && EndsWithError(sofar))
                break;
            continue;
        }
        // A restart command's OK comes before the restart: the read waits
        // for the port to go away.
        if ((ended = EndsWithError(sofar) || (sofar.ends_with(kOkTail) && !restart)))
            break;
        // No status can follow once the buffer is full: the reply was cut
        // short, and whatever it holds is not the answer.
        if (count == maxBytes) {
            cutShort_ = true;
            break;
        }
    }
    if (cutShort_)
        SkipRestOfReply(std::string_view(received.data(), count), deadline, progress, position);
    EndWait();
    replyMayBeLate_ = !rawMode && !ended && !cutShort_;
    const std::string_view whole(received.data(), count);
    reply.assign(UpToNul(whole));
    // What follows a NUL byte is lost to the reply text: the reply is not whole.
    cutAtNul_ = reply.size() < whole.size();
    if (log_ != nullptr) {
        log_->WriteRawResponse(reply);
        if (cutShort_)
            log_->WriteCutShort(maxBytes);
        if (cutAtNul_)
            log_->WriteCutAtNul(whole.size() - reply.size());
    }
    return !cutShort_ && !cutAtNul_ && !GaveUp();
}

bool ModemPort::Parse(const std::string& command, const std::string& reply, std::string& payload) {
    std::string text(UpToNul(reply));
    RemoveBlocks(text, "<pyPrint>", "</pyPrint>");
    RemoveBlocks(text, "<usb>", "</usb>");
    // An OK status line after an ERROR one still counts as a failure.
    CutSuffix(text, kOkStatus);
    const bool outcome = !CutSuffix(text, kErrorStatus) && !CutExtendedError(text);
    if (text.starts_with(command))
        text.erase(0, command.size());
    CutSuffix(text, kAckLine);
    StripLineBreaks(text);
    payload = std::move(text);
    if (log_ != nullptr)
        log_->WriteParsedResponse(payload, outcome);
    return outcome;
}

long ModemPort::WriteRaw(const char* data, std::size_t size) {
    return WriteWithoutStall(data, size);
}
