#include "app/PortFollower.h"

#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <mutex>

#include "link/ModemPort.h"

namespace {

constexpr int kBusyRecheckMs = 300;
constexpr int kFallbackCheckMs = 1000;

}  // namespace

PortFollower::PortFollower(ModemPort& port, QWidget* sheet, ChangeHandler onChange)
    : port_(port),
      portPath_(port.PortName()),
      sheet_(sheet),
      onChange_(std::move(onChange)),
      watch_(portPath_) {
    connect(&timer_, &QTimer::timeout, this, &PortFollower::Check);
    if (!watch_.Active()) {
        timer_.start(kFallbackCheckMs);
        return;
    }
    timer_.setSingleShot(true);
    auto* notifier = new QSocketNotifier(watch_.Descriptor(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        watch_.Consume();
        Check();
    });
}

bool PortFollower::Idle() const {
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != sheet_)
        return false;
    const std::unique_lock turn(port_.Turn(), std::try_to_lock);
    return turn.owns_lock();
}

void PortFollower::Check() {
    if (!Idle()) {
        if (!timer_.isActive())
            timer_.start(kBusyRecheckMs);
        return;
    }
    // A link whose node is gone counts as gone.
    const bool present = ::access(portPath_.c_str(), F_OK) == 0;
    if (present == present_)
        return;
    present_ = present;
    onChange_(present);
}
