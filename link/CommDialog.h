#pragma once

#include <QDialog>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "link/CommandJob.h"
#include "link/PortWaitPanel.h"
#include "link/ProgressIndicator.h"
#include "link/ScriptWorker.h"
#include "link/UiCallQueue.h"

class ModemPort;
class QLabel;
class QProgressBar;
class QTimer;

// The "Communicating..." dialog: runs a script on a worker thread while the user
// interface waits in the dialog's modal loop. It closes when the worker has run
// every job. The user cannot end it, except while the link waits for the
// gateway's port to come back: then Cancel (or Escape) ends the wait, and with
// it the script, whose remaining jobs fail.
//
// Threads: the worker owns the port and the job list while it runs and reaches
// the widgets only through calls queued to the user-interface thread. The progress position is an
// atomic the worker moves; a timer on the user-interface thread copies it to the bar, so a long
// pause cannot flood the event loop. Once the link waits for the port (a restarting gateway), the
// bar shows instead the seconds waited against the most the link waits, and is full once the
// gateway is back. RunModal joins the worker before it returns, so the caller may
// read the jobs at once and no thread outlives them.
class CommDialog : public QDialog, private ScriptObserver, private ProgressIndicator {
    Q_OBJECT

public:
    CommDialog(ModemPort& port, JobList& jobs, QWidget* parent = nullptr);

    // Shows the dialog, runs the jobs and returns once they have all run.
    void RunModal();

    // Escape and the window's close request end up here; ignored while the
    // worker runs, except that they cancel a wait for the port.
    void reject() override;

    // After RunModal: whether the script lost the port (see RunScript).
    bool LostPort() const { return lostPort_; }

private:
    void ShowJobText(const std::string& text) override;
    void WaitingForPort(bool waiting) override;
    void WaitedForPort(std::uint64_t waitedMs, std::uint64_t boundMs) override;
    void PortBack() override;
    int Position() const override;
    void SetPosition(int position) override;

    void RunWorker();
    void CopyProgress();
    void ShowPortWait(std::uint64_t boundMs);
    void Finish();

    ModemPort& port_;
    JobList& jobs_;
    PortWaitPanel wait_;
    QLabel* jobLine_;
    QProgressBar* progress_;
    QTimer* progressTimer_;
    UiCallQueue calls_;
    std::atomic<int> position_{0};
    // Zero until the link first waits for the port.
    std::atomic<std::uint64_t> waitBoundMs_{0};
    std::atomic<std::uint64_t> waitedMs_{0};
    std::atomic<bool> portBack_{false};
    bool finished_ = false;
    bool lostPort_ = false;  // written by the worker, read after it was joined
    std::thread worker_;
};
