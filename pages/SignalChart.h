#pragma once

#include <QChart>
#include <QtGlobal>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "model/SignalSample.h"

class QAreaSeries;
class QCategoryAxis;
class QLineSeries;
class QValueAxis;

// The monitor's plot: the signal in dBm against time, the line broken wherever
// a sample was lost or not measured, and the registration state as a coloured
// band along the time axis. The time axis spans from the first sample (at
// least a minute) and grows to the last ten minutes (SignalTimeAxis), its
// ticks relabelled only when they change. Each sample extends the newest line
// and band or starts new ones, and what scrolls out of the window is dropped,
// so a sample costs the same after ten minutes as after one.
class SignalChart : public QChart {
    Q_OBJECT

public:
    SignalChart();

    void Add(const SignalSample& sample);
    QCategoryAxis* TimeAxis() const { return timeAxis_; }

private:
    struct Band {
        QAreaSeries* area;
        std::optional<int> registration;
        qint64 endMs;
    };

    void ExtendBand(qint64 toMs);
    void StartBand(const SignalSample& sample, qint64 atMs);
    void StartLine();
    void DropBefore(qint64 startMs);
    void DropFirstLine();
    void DropFirstBand();
    void Clear();
    void ShowLegendOnce();
    void ShowTimeUpTo(qint64 lastMs);
    void Attach(QAbstractSeries* series);

    QCategoryAxis* timeAxis_;
    QValueAxis* dbmAxis_;
    std::deque<QLineSeries*> lines_;
    std::deque<Band> bands_;
    // Whether the next sample may continue the newest line, and the newest band.
    bool lineOpen_ = false;
    bool bandOpen_ = false;
    std::optional<qint64> firstMs_;
    std::optional<qint64> lastMs_;
    std::vector<std::int64_t> ticks_;  // as labelled on the time axis
};
