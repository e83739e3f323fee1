#pragma once

#include <QWidget>

#include "link/UiCallQueue.h"
#include "model/SignalCsvWriter.h"
#include "model/SignalHistory.h"
#include "model/SignalSampler.h"

class Clock;
class ModemPort;
class Prompter;
class QLabel;
class QSpinBox;
class SignalChart;

// "Signal Monitor": the modem's signal in dBm over the last ten minutes, with
// the registration state as a coloured band along the time axis, sampled
// between the scripts people start. Not modal: the sheet stays usable.
// Sampling starts with the window and stops when it closes; the window then
// deletes itself, as soon as a sample under way has ended.
class SignalMonitorWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDefaultIntervalSeconds = 2;

    SignalMonitorWindow(ModemPort& port, Prompter& prompter, Clock& clock,
                        QWidget* parent = nullptr);
    ~SignalMonitorWindow() override;

    const SignalHistory& History() const { return history_; }
    // Closed, and going once the sampling thread has ended.
    bool Closing() const { return closing_; }
    // Takes one sample as the sampler reports it.
    void ShowSample(const SignalSample& sample);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildChart();
    void ShowPaused();
    void ShowFigures();
    void SaveCsv();

    Prompter& prompter_;
    SignalHistory history_;
    SignalCsvWriter csv_;
    SignalChart* chart_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* figures_ = nullptr;
    QSpinBox* interval_ = nullptr;
    bool closing_ = false;
    UiCallQueue calls_;
    // Last: stopped (and its thread joined) before anything it reports to.
    SignalSampler sampler_;
};
