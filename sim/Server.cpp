#include "Server.h"

#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <thread>

namespace {

volatile sig_atomic_t gStopRequested = 0;

void RequestStop(int) {
    gStopRequested = 1;
}

std::uint64_t NowMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

const char* EventName(Output::Effect effect) {
    switch (effect) {
        case Output::Effect::Reboot:
            return "down reboot";
        case Output::Effect::Install:
            return "down install";
        case Output::Effect::Unplug:
            return "down unplug";
        case Output::Effect::Vanish:
        case Output::Effect::None:
        case Output::Effect::Endless:
            break;
    }
    return "down vanish";
}

// Stop signals are held back except while waiting, so that none is lost between the check of
// the flag and the wait.
sigset_t BlockStopSignals() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigset_t stop;
    sigset_t previous;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigprocmask(SIG_BLOCK, &stop, &previous);
    sigdelset(&previous, SIGINT);
    sigdelset(&previous, SIGTERM);
    return previous;
}

sigset_t gWaitMask;

std::optional<std::uint64_t> EarliestOf(std::optional<std::uint64_t> a,
                                        std::optional<std::uint64_t> b) {
    if (!a || !b) {
        return a ? a : b;
    }
    return std::min(*a, *b);
}

}  // namespace

Server::Server(const SimOptions& options, DeviceData& device)
    : options_(options), modem_(device, options), port_(options.linkPath) {}

int Server::Run() {
    gWaitMask = BlockStopSignals();
    std::string error;
    if (!transcript_.Open(options_.transcriptPath)) {
        std::fprintf(stderr, "r7sim: cannot write %s\n", options_.transcriptPath.c_str());
        return 1;
    }
    if (!port_.Open(&error)) {
        std::fprintf(stderr, "r7sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", options_.linkPath.c_str());
    std::fflush(stdout);
    ScheduleUnplug(NowMs());
    while (gStopRequested == 0) {
        const std::uint64_t now = NowMs();
        if (upAtMs_ && now >= *upAtMs_) {
            ComeUp(now);
        }
        if (!upAtMs_ && unplugAtMs_ && now >= *unplugAtMs_) {
            GoDown(now, Output::Effect::Unplug);
        }
        if (!upAtMs_) {
            Serve(now);
        }
        Wait(NowMs());
    }
    if (port_.IsOpen()) {
        RecordLost(ReadAvailable());
    }
    port_.Close();
    return 0;
}

void Server::Serve(std::uint64_t nowMs) {
    modem_.Expire(nowMs);
    RecordInput();
    WriteOutput(nowMs);
}

int Server::TimeoutMs(std::uint64_t nowMs) const {
    std::optional<std::uint64_t> wake = upAtMs_;
    if (!upAtMs_) {
        wake = EarliestOf(modem_.Deadline(), unplugAtMs_);
        // An answer that is due waits for the port to take bytes (POLLOUT), not for a timer.
        if (!pending_.empty() && pending_.front().readyAtMs > nowMs) {
            wake = std::min(wake.value_or(pending_.front().readyAtMs), pending_.front().readyAtMs);
        }
    }
    if (!wake) {
        return -1;
    }
    return *wake > nowMs ? static_cast<int>(std::min<std::uint64_t>(*wake - nowMs, INT_MAX)) : 0;
}

void Server::Wait(std::uint64_t nowMs) {
    const int timeoutMs = TimeoutMs(nowMs);
    pollfd port{port_.MasterFd(), static_cast<short>(modem_.Stalled() ? 0 : POLLIN), 0};
    if (!pending_.empty() && pending_.front().readyAtMs <= nowMs) {
        port.events |= POLLOUT;
    }
    const timespec timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
    const bool open = port_.IsOpen() && !upAtMs_;
    const int ready =
        ppoll(open ? &port : nullptr, open ? 1 : 0, timeoutMs < 0 ? nullptr : &timeout, &gWaitMask);
    if (ready > 0 && (port.revents & POLLIN) != 0) {
        ReadInput(NowMs());
    }
}

std::string Server::ReadAvailable() {
    std::string bytes;
    char buffer[65536];
    ssize_t count = 0;
    while ((count = ::read(port_.MasterFd(), buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
}

void Server::ReadInput(std::uint64_t nowMs) {
    // One read is one record of upload data, so the transcript shows how the blocks arrived.
    char buffer[65536];
    ssize_t count = 0;
    while (!upAtMs_ && !modem_.Stalled() &&
           (count = ::read(port_.MasterFd(), buffer, sizeof buffer)) > 0) {
        modem_.Feed(std::string_view(buffer, static_cast<std::size_t>(count)), nowMs);
        RecordInput();
        Queue(nowMs);
    }
}

void Server::RecordInput() {
    for (const ReceivedRecord& record : modem_.TakeRecords()) {
        transcript_.Record(KindName(record.kind), record.bytes);
    }
}

// Answers go out in order; a slow answer holds back the ones after it.
void Server::Queue(std::uint64_t nowMs) {
    for (Output& output : modem_.TakeOutputs()) {
        std::uint64_t readyAt = nowMs + static_cast<std::uint64_t>(std::max(0, output.delayMs));
        if (!pending_.empty()) {
            readyAt = std::max(readyAt, pending_.back().readyAtMs);
        }
        std::string repeat = output.effect == Output::Effect::Endless ? output.bytes : "";
        pending_.push_back({readyAt, std::move(output.bytes), output.effect, std::move(repeat)});
    }
    WriteOutput(nowMs);
}

void Server::WriteOutput(std::uint64_t nowMs) {
    while (!upAtMs_ && !pending_.empty() && pending_.front().readyAtMs <= nowMs) {
        Pending& front = pending_.front();
        if (!front.bytes.empty()) {
            const bool split = options_.splitRepliesUs >= 0;
            const ssize_t written =
                ::write(port_.MasterFd(), front.bytes.data(), split ? 1 : front.bytes.size());
            if (written < 0) {
                return;  // the client is not reading; try again when the port takes more
            }
            front.bytes.erase(0, static_cast<std::size_t>(written));
            if (split && !front.bytes.empty()) {
                // Blocking here keeps every byte in a write of its own; input waits in the
                // port meanwhile.
                std::this_thread::sleep_for(std::chrono::microseconds(options_.splitRepliesUs));
                continue;
            }
            if (!front.bytes.empty()) {
                return;
            }
        }
        if (front.effect == Output::Effect::Endless) {
            if (pending_.size() == 1) {
                front.bytes = front.repeat;
            } else {
                pending_.pop_front();
            }
            continue;
        }
        const Output::Effect effect = front.effect;
        pending_.pop_front();
        if (effect != Output::Effect::None) {
            GoDown(nowMs, effect);
        }
    }
}

void Server::GoDown(std::uint64_t nowMs, Output::Effect effect) {
    // A restart lets the last answer be read; a pulled cable does not.
    if (effect != Output::Effect::Vanish && effect != Output::Effect::Unplug) {
        port_.WaitUntilRead(2000);
    }
    RecordLost(ReadAvailable());
    port_.Close();
    pending_.clear();
    transcript_.Record("event", EventName(effect));
    const int awayMs = Modem::RestartDelayMs(options_, effect);
    upAtMs_ = awayMs == Modem::kNever ? UINT64_MAX : nowMs + static_cast<std::uint64_t>(awayMs);
}

// Input that was not framed yet, and what arrives as the port goes away, is lost; it was
// received all the same.
void Server::RecordLost(const std::string& late) {
    modem_.LinkLost();
    RecordInput();
    if (!late.empty()) {
        transcript_.Record("other", late);
    }
}

void Server::ComeUp(std::uint64_t nowMs) {
    std::string error;
    if (!port_.Open(&error)) {
        std::fprintf(stderr, "r7sim: %s\n", error.c_str());
        upAtMs_ = nowMs + 100;
        return;
    }
    upAtMs_.reset();
    transcript_.Record("event", "up");
    ScheduleUnplug(nowMs);
}

void Server::ScheduleUnplug(std::uint64_t nowMs) {
    if (options_.unplugEverySeconds > 0) {
        const double upMs = options_.unplugEverySeconds * 1000 * options_.timeScale;
        unplugAtMs_ = nowMs + static_cast<std::uint64_t>(upMs);
    }
}
