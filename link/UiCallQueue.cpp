#include "link/UiCallQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstdint>

UiCallQueue::UiCallQueue(QObject* parent)
    : QObject(parent), eventFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (eventFd_ < 0)
        qFatal("UiCallQueue: no eventfd");
    notifier_ = new QSocketNotifier(eventFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UiCallQueue::Deliver);
}

UiCallQueue::~UiCallQueue() {
    delete notifier_;
    ::close(eventFd_);
}

void UiCallQueue::Post(std::function<void()> call) {
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    const std::uint64_t one = 1;
    // The counter only wakes the owner; a full counter still wakes it.
    [[maybe_unused]] const ssize_t written = ::write(eventFd_, &one, sizeof one);
}

void UiCallQueue::Deliver() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(eventFd_, &count, sizeof count);
    std::deque<std::function<void()>> calls;
    {
        std::lock_guard lock(mutex_);
        calls.swap(calls_);
    }
    for (const auto& call : calls)
        call();
}
