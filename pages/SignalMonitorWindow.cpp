#include "pages/SignalMonitorWindow.h"

#include <QAction>
#include <QChartView>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstring>

#include "link/Prompter.h"
#include "pages/SignalChart.h"

namespace {

constexpr char kWaitingText[] = "Waiting for the R7...";
constexpr char kPausedText[] = "Paused while a script runs...";

QString DbmText(const std::optional<int>& dbm) {
    return dbm ? QStringLiteral("%1 dBm").arg(*dbm) : QStringLiteral("-");
}

QString DbmText(const std::optional<double>& dbm) {
    return dbm ? QStringLiteral("%1 dBm").arg(*dbm, 0, 'f', 1) : QStringLiteral("-");
}

// "Network: Registered, roaming    Operator: MCC 310 MNC 410 (UMTS)".
QString NetworkText(const SignalSample& sample) {
    QString text =
        QStringLiteral("Network: %1").arg(QString::fromStdString(sample.RegistrationText()));
    if (sample.network)
        text +=
            QStringLiteral("    Operator: %1").arg(QString::fromStdString(sample.OperatorText()));
    return text;
}

}  // namespace

SignalMonitorWindow::SignalMonitorWindow(ModemPort& port, Prompter& prompter, Clock& clock,
                                         QWidget* parent)
    : QWidget(parent, Qt::Window),
      prompter_(prompter),
      status_(new QLabel(this)),
      figures_(new QLabel(this)),
      interval_(new QSpinBox(this)),
      sampler_(port, clock,
               {[this](const SignalSample& sample) {
                    calls_.Post([this, sample] { ShowSample(sample); });
                },
                [this] { calls_.Post([this] { ShowPaused(); }); },
                [this] { calls_.Post([this] { deleteLater(); }); }}) {
    setWindowTitle(QStringLiteral("Signal Monitor - Tarvel R7 Dashboard"));
    status_->setObjectName(QStringLiteral("monitorStatus"));
    figures_->setObjectName(QStringLiteral("monitorFigures"));
    interval_->setObjectName(QStringLiteral("monitorInterval"));
    interval_->setRange(1, 60);
    interval_->setValue(kDefaultIntervalSeconds);
    interval_->setSuffix(QStringLiteral(" s"));
    connect(interval_, &QSpinBox::valueChanged, this, [this](int seconds) {
        sampler_.SetIntervalMs(static_cast<std::uint32_t>(seconds) * 1000);
    });
    auto* save = new QPushButton(QStringLiteral("Save CSV..."), this);
    save->setObjectName(QStringLiteral("saveCsv"));
    connect(save, &QPushButton::clicked, this, &SignalMonitorWindow::SaveCsv);

    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeMonitor"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    // Escape and Ctrl+W close the window, as they close a viewer's window.
    auto* closeKeys = new QAction(this);
    closeKeys->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    connect(closeKeys, &QAction::triggered, this, &QWidget::close);
    addAction(closeKeys);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Interval"), this));
    controls->addWidget(interval_);
    controls->addStretch();
    controls->addWidget(save);
    controls->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildChart(), 1);
    layout->addWidget(figures_);
    layout->addWidget(status_);
    layout->addLayout(controls);
    resize(720, 460);

    ShowFigures();
    sampler_.SetIntervalMs(kDefaultIntervalSeconds * 1000);
    sampler_.Start();
}

SignalMonitorWindow::~SignalMonitorWindow() {
    sampler_.Stop();
}

// The window goes at once; a sample under way is left to finish on the
// sampling thread, which deletes the window when it ends, so closing never
// waits on the gateway.
void SignalMonitorWindow::closeEvent(QCloseEvent* event) {
    closing_ = true;
    sampler_.RequestStop();
    QWidget::closeEvent(event);
}

QWidget* SignalMonitorWindow::BuildChart() {
    chart_ = new SignalChart;
    auto* view = new QChartView(chart_, this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setObjectName(QStringLiteral("signalChart"));
    return view;
}

void SignalMonitorWindow::ShowSample(const SignalSample& sample) {
    history_.Add(sample);
    csv_.Write(sample);
    if (sample.lost)
        status_->setText(QString::fromUtf8(kWaitingText));
    else
        status_->setText(NetworkText(sample));
    chart_->Add(sample);
    ShowFigures();
}

void SignalMonitorWindow::ShowPaused() {
    status_->setText(QString::fromUtf8(kPausedText));
}

void SignalMonitorWindow::ShowFigures() {
    figures_->setText(QStringLiteral("Current: %1    Minimum: %2    Average: %3    Maximum: %4")
                          .arg(DbmText(history_.CurrentDbm()), DbmText(history_.MinDbm()),
                               DbmText(history_.AverageDbm()), DbmText(history_.MaxDbm())));
}

void SignalMonitorWindow::SaveCsv() {
    const std::string path =
        prompter_.ChooseSaveFile("Save CSV", "signal.csv", "CSV files (*.csv)");
    if (path.empty())
        return;
    if (const int error = csv_.SaveTo(path))
        prompter_.Warn("Save CSV",
                       "The samples could not be written to " + path + ".\n" + std::strerror(error),
                       {}, MessageKind::Error);
}
