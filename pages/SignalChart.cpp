#include "pages/SignalChart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QDateTime>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <array>
#include <set>

#include "model/CellularValues.h"
#include "model/SignalHistory.h"
#include "pages/SignalTimeAxis.h"

namespace {

// The plot's level range: CSQ 0 to 31, with the band below it.
constexpr int kBandLowDbm = -120;
constexpr int kBandHighDbm = -116;
constexpr int kTopDbm = -40;
constexpr int kDbmTicks = 9;  // every 10 dB

// The band's colour for each +CREG state (0 to 5); grey for anything else.
QColor RegistrationColour(const std::optional<int>& registration) {
    static const std::array<QColor, 6> kColours = {
        QColor(0x9e, 0x9e, 0x9e), QColor(0x2e, 0x9d, 0x3a), QColor(0xf0, 0xa0, 0x20),
        QColor(0xd0, 0x30, 0x30), QColor(0xbd, 0xbd, 0xbd), QColor(0x30, 0x70, 0xd0)};
    if (!registration || !IsDefinedRegistration(*registration))
        return kColours[4];
    return kColours[static_cast<std::size_t>(*registration)];
}

void SetMarkerVisible(QChart& chart, QAbstractSeries* series, bool visible) {
    for (QLegendMarker* marker : chart.legend()->markers(series))
        marker->setVisible(visible);
}

}  // namespace

SignalChart::SignalChart() : timeAxis_(new QCategoryAxis(this)), dbmAxis_(new QValueAxis(this)) {
    legend()->setAlignment(Qt::AlignBottom);
    timeAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    timeAxis_->setTitleText(QStringLiteral("Time"));
    dbmAxis_->setRange(kBandLowDbm, kTopDbm);
    dbmAxis_->setTickCount(kDbmTicks);
    dbmAxis_->setLabelFormat(QStringLiteral("%d"));
    dbmAxis_->setTitleText(QStringLiteral("Signal (dBm)"));
    addAxis(timeAxis_, Qt::AlignBottom);
    addAxis(dbmAxis_, Qt::AlignLeft);
    ShowTimeUpTo(QDateTime::currentMSecsSinceEpoch());
}

void SignalChart::Add(const SignalSample& sample) {
    const qint64 atMs = static_cast<qint64>(sample.unixMs);
    // A clock set back would draw the line backwards: start the plot afresh.
    if (lastMs_ && atMs < *lastMs_)
        Clear();
    if (!firstMs_)
        firstMs_ = atMs;
    lastMs_ = atMs;

    const std::size_t series = lines_.size() + bands_.size();
    // A state lasts until the sample after it, whatever that sample says.
    const bool sameState =
        bandOpen_ && !sample.lost && bands_.back().registration == sample.registration;
    if (bandOpen_)
        ExtendBand(atMs);
    if (!sample.lost && !sameState)
        StartBand(sample, atMs);
    bandOpen_ = !sample.lost;

    const std::optional<int> dbm = sample.Dbm();
    if (dbm && !lineOpen_)
        StartLine();
    lineOpen_ = dbm.has_value();
    if (dbm)
        lines_.back()->append(static_cast<qreal>(atMs), *dbm);

    DropBefore(atMs - SignalHistory::kWindowMs);
    if (lines_.size() + bands_.size() != series)
        ShowLegendOnce();
    ShowTimeUpTo(atMs);
}

void SignalChart::ExtendBand(qint64 toMs) {
    Band& band = bands_.back();
    band.area->upperSeries()->replace(1, QPointF(static_cast<qreal>(toMs), kBandHighDbm));
    band.area->lowerSeries()->replace(1, QPointF(static_cast<qreal>(toMs), kBandLowDbm));
    band.endMs = toMs;
}

void SignalChart::StartBand(const SignalSample& sample, qint64 atMs) {
    const auto at = static_cast<qreal>(atMs);
    auto* upper = new QLineSeries;
    auto* lower = new QLineSeries;
    upper->append({QPointF(at, kBandHighDbm), QPointF(at, kBandHighDbm)});
    lower->append({QPointF(at, kBandLowDbm), QPointF(at, kBandLowDbm)});
    auto* area = new QAreaSeries(upper, lower);
    upper->setParent(area);
    lower->setParent(area);
    area->setName(QString::fromStdString(sample.RegistrationText()));
    area->setColor(RegistrationColour(sample.registration));
    area->setBorderColor(RegistrationColour(sample.registration));
    Attach(area);
    bands_.push_back({area, sample.registration, atMs});
}

void SignalChart::StartLine() {
    auto* line = new QLineSeries;
    line->setColor(QColor(0x20, 0x40, 0x90));
    line->setPointsVisible(true);
    line->setName(QStringLiteral("Signal"));
    Attach(line);
    lines_.push_back(line);
}

void SignalChart::Attach(QAbstractSeries* series) {
    addSeries(series);
    series->attachAxis(timeAxis_);
    series->attachAxis(dbmAxis_);
}

// What ends before the window starts can never show again.
void SignalChart::DropBefore(qint64 startMs) {
    while (!bands_.empty() && bands_.front().endMs < startMs)
        DropFirstBand();
    while (!lines_.empty()) {
        QLineSeries* line = lines_.front();
        int old = 0;
        while (old < line->count() && line->at(old).x() < static_cast<qreal>(startMs))
            ++old;
        if (old < line->count()) {
            line->removePoints(0, old);
            break;
        }
        DropFirstLine();
    }
}

void SignalChart::DropFirstLine() {
    if (lines_.size() == 1)
        lineOpen_ = false;
    removeSeries(lines_.front());
    delete lines_.front();
    lines_.pop_front();
}

void SignalChart::DropFirstBand() {
    if (bands_.size() == 1)
        bandOpen_ = false;
    removeSeries(bands_.front().area);
    delete bands_.front().area;
    bands_.pop_front();
}

void SignalChart::Clear() {
    while (!lines_.empty())
        DropFirstLine();
    while (!bands_.empty())
        DropFirstBand();
    firstMs_.reset();
}

// One legend entry for the signal and one for each registration state shown.
void SignalChart::ShowLegendOnce() {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        SetMarkerVisible(*this, lines_[i], i == 0);
    std::set<QString> named;
    for (const Band& band : bands_)
        SetMarkerVisible(*this, band.area, named.insert(band.area->name()).second);
}

void SignalChart::ShowTimeUpTo(qint64 lastMs) {
    const SignalTimeAxis axis = SignalTimeAxis::For(firstMs_.value_or(lastMs), lastMs);
    timeAxis_->setRange(static_cast<qreal>(axis.startMs), static_cast<qreal>(axis.endMs));
    if (axis.ticks == ticks_)
        return;
    ticks_ = axis.ticks;
    for (const QString& label : timeAxis_->categoriesLabels())
        timeAxis_->remove(label);
    const QString format = axis.stepMs < SignalTimeAxis::kCoarseStepMs ? QStringLiteral("HH:mm:ss")
                                                                       : QStringLiteral("HH:mm");
    // Each label sits on its tick, at the upper end of the category before it.
    timeAxis_->setStartValue(static_cast<qreal>(ticks_.front() - axis.stepMs));
    for (const std::int64_t tick : ticks_)
        timeAxis_->append(QDateTime::fromMSecsSinceEpoch(tick).toString(format),
                          static_cast<qreal>(tick));
}
