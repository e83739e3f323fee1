#include "app/PortFollower.h"

#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

namespace {

constexpr int kBusyRecheckMs = 300;
constexpr int kFallbackCheckMs = 1000;

}  // namespace

PortFollower::PortFollower(std::string portPath, QWidget* sheet, ChangeHandler onChange)
    : portPath_(std::move(portPath)),
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

bool PortFollower::SheetIdle() const {
    const QWidget* modal = QApplication::activeModalWidget();
    return modal == nullptr || modal == sheet_;
}

void PortFollower::Check() {
    if (!SheetIdle()) {
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
