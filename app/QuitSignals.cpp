#include "app/QuitSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <array>
#include <atomic>

#include "link/SerialDevice.h"

namespace {

constexpr std::array<int, 3> kQuitSignals = {SIGTERM, SIGINT, SIGHUP};

std::atomic<int> gSignal{0};
// Written by the handler, read on the user-interface thread.
std::array<int, 2> gPipe = {-1, -1};

int StatusFor(int signal) {
    return 128 + signal;
}

void OnQuitSignal(int signal) {
    SerialDevice::ReleaseAllHeld();
    if (gSignal.exchange(signal) != 0)
        ::_exit(StatusFor(signal));
    const char byte = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
}

void SetHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (const int signal : kQuitSignals)
        sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
    for (const int signal : kQuitSignals)
        ::sigaction(signal, &action, nullptr);
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> beforeQuit) : beforeQuit_(std::move(beforeQuit)) {
    if (::pipe2(gPipe.data(), O_NONBLOCK | O_CLOEXEC) != 0)
        return;  // without the pipe the signals keep their default: the process ends
    notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitSignals::Quit);
    SetHandler(OnQuitSignal);
}

QuitSignals::~QuitSignals() {
    if (notifier_ == nullptr)
        return;
    SetHandler(SIG_DFL);
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe = {-1, -1};
}

int QuitSignals::Received() const {
    return gSignal.load();
}

int QuitSignals::ExitStatus() const {
    return Received() == 0 ? 0 : StatusFor(Received());
}

void QuitSignals::Quit() {
    char drained[16];
    while (::read(gPipe[0], drained, sizeof drained) > 0) {
    }
    notifier_->setEnabled(false);
    if (beforeQuit_)
        beforeQuit_();
    // Ends every event loop of this thread, nested modal ones included; loops
    // started later return at once.
    QCoreApplication::exit(ExitStatus());
}
