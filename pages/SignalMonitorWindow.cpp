#include "pages/SignalMonitorWindow.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QValueAxis>
#include <array>

#include "link/Prompter.h"
#include "model/CellularValues.h"

namespace {

// The plot's level range: CSQ 0 to 31, with the band below it.
constexpr int kBandLowDbm = -120;
constexpr int kBandHighDbm = -116;
constexpr int kTopDbm = -40;
constexpr int kDbmTicks = 9;  // every 10 dB
constexpr char kWaitingText[] = "Waiting for the R7...";
constexpr char kPausedText[] = "Paused while a script runs...";

// The band's colour for each +CREG state (0 to 5); grey for anything else.
QColor RegistrationColour(const std::optional<int>& registration) {
    static const std::array<QColor, 6> kColours = {
        QColor(0x9e, 0x9e, 0x9e), QColor(0x2e, 0x9d, 0x3a), QColor(0xf0, 0xa0, 0x20),
        QColor(0xd0, 0x30, 0x30), QColor(0xbd, 0xbd, 0xbd), QColor(0x30, 0x70, 0xd0)};
    if (!registration || !IsDefinedRegistration(*registration))
        return kColours[4];
    return kColours[static_cast<std::size_t>(*registration)];
}

QString DbmText(const std::optional<int>& dbm) {
    return dbm ? QStringLiteral("%1 dBm").arg(*dbm) : QStringLiteral("-");
}

QString DbmText(const std::optional<double>& dbm) {
    return dbm ? QStringLiteral("%1 dBm").arg(*dbm, 0, 'f', 1) : QStringLiteral("-");
}

qint64 TimeMs(const SignalSample& sample) {
    return static_cast<qint64>(sample.unixMs);
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
                [this] { calls_.Post([this] { ShowPaused(); }); }}) {
    setWindowTitle(QStringLiteral("Signal Monitor - Tarvel R7 Dashboard"));
    setAttribute(Qt::WA_DeleteOnClose);
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

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Interval"), this));
    controls->addWidget(interval_);
    controls->addStretch();
    controls->addWidget(save);
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

void SignalMonitorWindow::closeEvent(QCloseEvent* event) {
    sampler_.Stop();
    QWidget::closeEvent(event);
}

QWidget* SignalMonitorWindow::BuildChart() {
    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    timeAxis_ = new QDateTimeAxis(chart_);
    timeAxis_->setFormat(QStringLiteral("HH:mm:ss"));
    timeAxis_->setTitleText(QStringLiteral("Time"));
    dbmAxis_ = new QValueAxis(chart_);
    dbmAxis_->setRange(kBandLowDbm, kTopDbm);
    dbmAxis_->setTickCount(kDbmTicks);
    dbmAxis_->setLabelFormat(QStringLiteral("%d"));
    dbmAxis_->setTitleText(QStringLiteral("Signal (dBm)"));
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(dbmAxis_, Qt::AlignLeft);
    auto* view = new QChartView(chart_, this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setObjectName(QStringLiteral("signalChart"));
    RedrawChart();
    return view;
}

void SignalMonitorWindow::ShowSample(const SignalSample& sample) {
    history_.Add(sample);
    csv_.Write(sample);
    if (sample.lost)
        status_->setText(QString::fromUtf8(kWaitingText));
    else
        status_->setText(
            QStringLiteral("Network: %1").arg(QString::fromStdString(sample.RegistrationText())));
    RedrawChart();
    ShowFigures();
}

void SignalMonitorWindow::ShowPaused() {
    status_->setText(QString::fromUtf8(kPausedText));
}

// Rebuilt from the history at each sample: at most one window's worth of
// points, and the line breaks cleanly wherever a sample was lost.
void SignalMonitorWindow::RedrawChart() {
    chart_->removeAllSeries();
    const qint64 end = history_.Samples().empty() ? QDateTime::currentMSecsSinceEpoch()
                                                  : TimeMs(history_.Samples().back());
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(end - SignalHistory::kWindowMs),
                        QDateTime::fromMSecsSinceEpoch(end));
    AddRegistrationBand();
    AddSignalLines();
}

void SignalMonitorWindow::AddSignalLines() {
    QLineSeries* line = nullptr;
    bool named = false;
    for (const SignalSample& sample : history_.Samples()) {
        const std::optional<int> dbm = sample.Dbm();
        if (!dbm) {
            line = nullptr;
            continue;
        }
        if (line == nullptr) {
            line = new QLineSeries;
            line->setColor(QColor(0x20, 0x40, 0x90));
            line->setPointsVisible(true);
            line->setName(QStringLiteral("Signal"));
            chart_->addSeries(line);
            line->attachAxis(timeAxis_);
            line->attachAxis(dbmAxis_);
            if (named)
                chart_->legend()->markers(line).front()->setVisible(false);
            named = true;
        }
        line->append(static_cast<qreal>(TimeMs(sample)), *dbm);
    }
}

// One filled stretch per run of samples with the same state; a lost sample
// leaves the band empty, as it leaves the line.
void SignalMonitorWindow::AddRegistrationBand() {
    const auto& samples = history_.Samples();
    std::vector<QString> shown;
    for (std::size_t first = 0; first < samples.size();) {
        std::size_t next = first + 1;
        while (next < samples.size() && samples[next].lost == samples[first].lost &&
               samples[next].registration == samples[first].registration)
            ++next;
        if (!samples[first].lost) {
            const qint64 from = TimeMs(samples[first]);
            const qint64 to =
                next < samples.size() ? TimeMs(samples[next]) : TimeMs(samples[next - 1]);
            auto* upper = new QLineSeries;
            auto* lower = new QLineSeries;
            upper->append({QPointF(from, kBandHighDbm), QPointF(to, kBandHighDbm)});
            lower->append({QPointF(from, kBandLowDbm), QPointF(to, kBandLowDbm)});
            auto* band = new QAreaSeries(upper, lower);
            upper->setParent(band);
            lower->setParent(band);
            const QString words = QString::fromStdString(samples[first].RegistrationText());
            band->setName(words);
            band->setColor(RegistrationColour(samples[first].registration));
            band->setBorderColor(RegistrationColour(samples[first].registration));
            chart_->addSeries(band);
            band->attachAxis(timeAxis_);
            band->attachAxis(dbmAxis_);
            if (std::find(shown.begin(), shown.end(), words) != shown.end())
                chart_->legend()->markers(band).front()->setVisible(false);
            else
                shown.push_back(words);
        }
        first = next;
    }
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
    if (!csv_.SaveTo(path))
        prompter_.Warn("Save CSV", "The samples could not be written to " + path + ".", {},
                       MessageKind::Error);
}
