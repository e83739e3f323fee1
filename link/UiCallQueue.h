#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

// Calls posted from a worker thread, run on the thread that owns the queue
// (the user-interface thread) in the order they were posted. The hand-off is
// a mutex and an eventfd, both visible to thread checkers, instead of Qt's
// event queue, whose locking they cannot see into.
class UiCallQueue : public QObject {
    Q_OBJECT

public:
    explicit UiCallQueue(QObject* parent = nullptr);
    ~UiCallQueue() override;
    UiCallQueue(const UiCallQueue&) = delete;
    UiCallQueue& operator=(const UiCallQueue&) = delete;

    // Any thread.
    void Post(std::function<void()> call);

private:
    void Deliver();

    int eventFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
};
