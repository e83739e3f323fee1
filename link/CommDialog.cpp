#include "link/CommDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <mutex>

#include "link/ModemPort.h"

namespace {

// How often the bar follows the worker's position: smooth enough to watch, few
// enough events for a script that runs for minutes.
constexpr int kProgressRefreshMs = 100;

QString CommunicatingText(const std::string& portName) {
    return QStringLiteral("Communicating with the R7 on %1, please wait...")
        .arg(QString::fromStdString(portName));
}

}  // namespace

CommDialog::CommDialog(ModemPort& port, JobList& jobs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      port_(port),
      jobs_(jobs),
      wait_(port, this, CommunicatingText(port.PortName())),
      jobLine_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      progressTimer_(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Communicating..."));
    setModal(true);

    jobLine_->setObjectName(QStringLiteral("jobLine"));
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, ProgressRange(jobs_));
    progress_->setValue(0);
    progress_->setTextVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(wait_.Line());
    layout->addWidget(jobLine_);
    layout->addWidget(progress_);
    layout->addWidget(wait_.CancelButton(), 0, Qt::AlignRight);
    setMinimumWidth(400);

    progressTimer_->setInterval(kProgressRefreshMs);
    connect(progressTimer_, &QTimer::timeout, this, &CommDialog::CopyProgress);
}

void CommDialog::RunModal() {
    finished_ = false;
    position_.store(0);
    waitBoundMs_.store(0);
    portBack_.store(false);
    progressTimer_->start();
    worker_ = std::thread(&CommDialog::RunWorker, this);
    exec();
    progressTimer_->stop();
    worker_.join();
}

void CommDialog::reject() {
    if (finished_)
        QDialog::reject();
    else if (wait_.Waiting())
        wait_.Cancel();
}

void CommDialog::ShowJobText(const std::string& text) {
    calls_.Post([this, text] { jobLine_->setText(QString::fromStdString(text)); });
}

int CommDialog::Position() const {
    return position_.load();
}

void CommDialog::SetPosition(int position) {
    position_.store(position);
}

void CommDialog::WaitingForPort(bool waiting) {
    calls_.Post([this, waiting] { wait_.Show(waiting); });
}

void CommDialog::WaitedForPort(std::uint64_t waitedMs, std::uint64_t boundMs) {
    waitedMs_.store(waitedMs);
    portBack_.store(false);
    waitBoundMs_.store(boundMs);
}

void CommDialog::PortBack() {
    portBack_.store(true);
}

void CommDialog::RunWorker() {
    {
        const std::scoped_lock turn(port_.Turn());
        lostPort_ = RunScript(port_, jobs_, *this, *this);
    }
    calls_.Post([this] { Finish(); });
}

void CommDialog::CopyProgress() {
    if (const std::uint64_t bound = waitBoundMs_.load(); bound != 0)
        ShowPortWait(bound);
    else
        progress_->setValue(
            std::clamp(position_.load(), progress_->minimum(), progress_->maximum()));
}

// In whole seconds: the bar moves once a second at most, however often the
// worker tells the time. It stays full for the jobs after the gateway is back.
void CommDialog::ShowPortWait(std::uint64_t boundMs) {
    const int bound = static_cast<int>(std::min<std::uint64_t>(boundMs / 1000, 65535));
    if (progress_->maximum() != bound)
        progress_->setRange(0, bound);
    const int waited = static_cast<int>(std::min<std::uint64_t>(waitedMs_.load() / 1000, bound));
    progress_->setValue(portBack_.load() ? bound : waited);
}

void CommDialog::Finish() {
    finished_ = true;
    CopyProgress();
    // A wait that ended early, because the gateway was back, is complete.
    if (!lostPort_)
        progress_->setValue(progress_->maximum());
    accept();
}
