#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP for the dashboard (a logout, kill, Ctrl+C in its
// terminal). The handler itself gives up the exclusive hold on the port
// (SerialDevice::ReleaseAllHeld), so the next program can open it whatever
// happens after; the program then quits through the event loop, as closing
// the window does: every modal loop returns, a script under way ends, the
// sheet closes and the port is closed. A second signal ends the process at
// once. One instance, in main, for the whole run.
class QuitSignals : public QObject {
    Q_OBJECT

public:
    // `beforeQuit` runs on the user-interface thread when a signal has come,
    // before the event loops are told to end (to end a wait for the port).
    explicit QuitSignals(std::function<void()> beforeQuit);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // The signal that ended the run, 0 for none.
    int Received() const;
    // The program's exit status: 0, or 128 + the signal.
    int ExitStatus() const;

private:
    void Quit();

    std::function<void()> beforeQuit_;
    QSocketNotifier* notifier_ = nullptr;
};
