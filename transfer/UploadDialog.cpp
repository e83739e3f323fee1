#include "transfer/UploadDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <mutex>

#include "link/ModemPort.h"

UploadDialog::UploadDialog(ModemPort& port, Clock& clock, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      port_(port),
      clock_(clock),
      wait_(port, this, {}),
      status_(new QLineEdit(this)),
      progress_(new QProgressBar(this)),
      bytes_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Uploading..."));
    setModal(true);

    status_->setObjectName(QStringLiteral("status"));
    status_->setReadOnly(true);
    status_->setEnabled(false);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setValue(0);
    progress_->setTextVisible(false);
    bytes_->setObjectName(QStringLiteral("bytes"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(wait_.Line());
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addWidget(bytes_);
    layout->addWidget(wait_.CancelButton(), 0, Qt::AlignRight);
    setMinimumWidth(400);
}

void UploadDialog::SetUploadFile(const std::string& localPath, bool firmwareImage, bool radioFile) {
    localPath_ = localPath;
    target_ = UploadTargetFor(firmwareImage, radioFile);
    status_->setText(QString::fromStdString(localPath));
}

UploadOutcome UploadDialog::RunModal() {
    finished_ = false;
    progress_->setValue(0);
    bytes_->clear();
    worker_ = std::thread([this] {
        UploadOutcome outcome = UploadOutcome::NotSent;
        {
            const std::scoped_lock turn(port_.Turn());
            outcome = RunUpload(port_, clock_, localPath_, target_, *this);
        }
        calls_.Post([this, outcome] {
            outcome_ = outcome;
            Finish();
        });
    });
    exec();
    worker_.join();
    return outcome_;
}

void UploadDialog::reject() {
    if (finished_)
        QDialog::reject();
    else if (wait_.Waiting())
        wait_.Cancel();
}

void UploadDialog::WaitingForPort(bool waiting) {
    calls_.Post([this, waiting] { wait_.Show(waiting); });
}

void UploadDialog::SetProgressRange(int maximum) {
    calls_.Post([this, maximum] {
        progress_->setRange(0, maximum);
        progress_->setValue(0);
    });
}

void UploadDialog::StepProgress() {
    calls_.Post(
        [this] { progress_->setValue(std::min(progress_->value() + 1, progress_->maximum())); });
}

void UploadDialog::BytesSent(std::uint64_t sent, std::uint64_t total) {
    const std::uint64_t percent = total == 0 ? 100 : sent * 100 / total;
    calls_.Post(
        [this, text = QStringLiteral("%1 of %2 bytes sent (%3%)").arg(sent).arg(total).arg(percent),
         whole = sent == total] {
            bytes_->setText(text);
            // The bar counts steps besides the bytes; it ends with the text.
            if (whole)
                progress_->setValue(progress_->maximum());
        });
}

void UploadDialog::Finish() {
    finished_ = true;
    accept();
}
