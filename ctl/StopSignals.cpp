#include "ctl/StopSignals.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "link/SerialDevice.h"

namespace {

std::atomic<int> gSignal{0};
std::atomic<int> gDeferrals{0};

void EndNow(int signal) {
    SerialDevice::ReleaseAllHeld();
    ::_exit(StopStatus(signal));
}

void OnStopSignal(int signal) {
    const int earlier = gSignal.exchange(signal);
    if (gDeferrals.load() == 0 || earlier != 0)
        EndNow(signal);
}

}  // namespace

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    // No SA_RESTART: a noted signal interrupts a wait, which is retried after
    // the upload had a chance to look at it.
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int StopSignalReceived() {
    return gSignal.load();
}

int StopStatus(int signal) {
    return 128 + signal;
}

StopDeferral::StopDeferral() {
    ++gDeferrals;
}

StopDeferral::~StopDeferral() {
    --gDeferrals;
}
