#include "tests/link/PtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <stdexcept>

namespace {

constexpr auto kWaitLimit = std::chrono::seconds(10);

void WriteFully(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count > 0)
            bytes.remove_prefix(static_cast<std::size_t>(count));
        else if (count < 0 && errno != EINTR && errno != EAGAIN)
            return;
    }
}

}  // namespace

PtyPeer::PtyPeer(LineMode mode) {
    termios raw{};
    ::cfmakeraw(&raw);
    std::array<char, 128> name{};
    termios* settings = mode == LineMode::Raw ? &raw : nullptr;
    if (::openpty(&master_, &slave_, name.data(), settings, nullptr) != 0 || ::pipe(wake_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    slavePath_ = name.data();
    // Never block the peer on a full line, or it could not be stopped.
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    thread_ = std::thread(&PtyPeer::Run, this);
}

PtyPeer::~PtyPeer() {
    Vanish();
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void PtyPeer::Wake() {
    WriteFully(wake_[1], "x");
}

void PtyPeer::QueueReply(std::string reply) {
    std::lock_guard lock(mutex_);
    replies_.push_back(std::move(reply));
}

void PtyPeer::AnswerEveryLine(std::string reply) {
    std::lock_guard lock(mutex_);
    everyLine_ = std::move(reply);
}

void PtyPeer::Write(const std::string& bytes) {
    WriteFully(master_, bytes);
}

void PtyPeer::StartStreaming() {
    {
        std::lock_guard lock(mutex_);
        streaming_ = true;
    }
    Wake();
}

void PtyPeer::Hold() {
    {
        std::lock_guard lock(mutex_);
        held_ = true;
    }
    Wake();
}

void PtyPeer::Release() {
    {
        std::lock_guard lock(mutex_);
        held_ = false;
    }
    Wake();
}

std::string PtyPeer::Received() {
    std::lock_guard lock(mutex_);
    return received_;
}

bool PtyPeer::WaitForReceived(std::size_t count) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, kWaitLimit, [&] { return received_.size() >= count; });
}

void PtyPeer::Vanish() {
    if (thread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        Wake();
        thread_.join();
    }
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
}

void PtyPeer::Run() {
    for (;;) {
        bool held = false;
        bool streaming = false;
        {
            std::lock_guard lock(mutex_);
            if (stop_)
                return;
            held = held_;
            streaming = streaming_;
        }
        std::array<pollfd, 2> fds{pollfd{wake_[0], POLLIN, 0}, pollfd{master_, POLLIN, 0}};
        const int timeoutMs = streaming ? 1 : -1;
        if (::poll(fds.data(), held ? 1 : 2, timeoutMs) < 0 && errno != EINTR)
            return;
        if (fds[0].revents & POLLIN) {
            std::array<char, 64> drop{};
            (void)::read(wake_[0], drop.data(), drop.size());
        }
        if (!held && (fds[1].revents & POLLIN))
            Serve();
        if (streaming)
            (void)::write(master_, "chatter\r\n", 9);
    }
}

// Reads what the port wrote and answers every completed command line.
void PtyPeer::Serve() {
    std::array<char, 4096> chunk{};
    const ssize_t count = ::read(master_, chunk.data(), chunk.size());
    if (count <= 0)
        return;
    std::string answer;
    {
        std::lock_guard lock(mutex_);
        received_.append(chunk.data(), static_cast<std::size_t>(count));
        line_.append(chunk.data(), static_cast<std::size_t>(count));
        for (std::size_t end; (end = line_.find("\r\n")) != std::string::npos;) {
            line_.erase(0, end + 2);
            if (!replies_.empty()) {
                answer += replies_.front();
                replies_.pop_front();
            } else {
                answer += everyLine_;
            }
        }
    }
    // Answer before telling waiters, so that a test that saw its command
    // arrive also finds the reply queued on the line.
    WriteFully(master_, answer);
    arrived_.notify_all();
}
