#pragma once

#include <QDialog>
#include <string>
#include <thread>

#include "link/PortWaitPanel.h"
#include "link/UiCallQueue.h"
#include "transfer/UploadWorker.h"

class Clock;
class ModemPort;
class QLabel;
class QLineEdit;
class QProgressBar;

// The "Uploading..." dialog: shows the local path above a progress bar, and
// below it the bytes sent of the file's length, while a worker thread runs
// RunUpload. No close box; Escape and close requests are
// ignored, so only the worker ends it, except while the link waits for the
// gateway's port to come back: then the dialog says so and Cancel (or Escape)
// ends the wait, and with it the upload, as in the "Communicating..." dialog.
//
// Threads: the worker owns the port while it runs and reaches the widgets only
// through calls queued to the user-interface thread. RunModal joins the worker
// before it returns, so no thread outlives the dialog.
class UploadDialog : public QDialog, private UploadObserver {
    Q_OBJECT

public:
    UploadDialog(ModemPort& port, Clock& clock, QWidget* parent = nullptr);

    // The file to send and where it goes (the firmware image flag wins). Call
    // before each RunModal.
    void SetUploadFile(const std::string& localPath, bool firmwareImage, bool radioFile);

    // Shows the dialog, uploads the file and returns when the worker is done.
    UploadOutcome RunModal();

    void reject() override;

private:
    void SetProgressRange(int maximum) override;
    void StepProgress() override;
    void BytesSent(std::uint64_t sent, std::uint64_t total) override;
    void WaitingForPort(bool waiting) override;
    void Finish();

    ModemPort& port_;
    Clock& clock_;
    std::string localPath_;
    UploadTarget target_ = UploadTarget::PythonProgram;
    PortWaitPanel wait_;
    QLineEdit* status_;
    QProgressBar* progress_;
    QLabel* bytes_;
    UiCallQueue calls_;
    bool finished_ = false;
    UploadOutcome outcome_ = UploadOutcome::NotSent;
    std::thread worker_;
};
