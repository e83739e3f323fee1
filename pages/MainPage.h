#pragma once

#include <QPointer>
#include <QTime>
#include <array>
#include <string>
#include <vector>

#include "model/DeviceInfo.h"
#include "model/SettingBinding.h"
#include "pages/PropertyPage.h"

class Clock;
class ConfigModel;
class IpAddressEdit;
class Prompter;
class QLabel;
class QPushButton;
class ModemPort;
class ScriptRunner;
class SignalMonitorWindow;
class ValueField;

// "Device Information": who the gateway is and how its mobile link is doing.
// Read-only; Refresh collects everything again.
class MainPage : public PropertyPage {
    Q_OBJECT

public:
    static constexpr int kSignalBars = 5;

    MainPage(ConfigModel& model, ScriptRunner& runner, Prompter& prompter,
             QWidget* parent = nullptr);

    // Filled by start-up and by the collection.
    DeviceInfo& Info() { return info_; }

    // The gateway's port, named on the Status line: "Connected (PORT)" until a
    // Refresh gets no answer, then "Not connected: no answer on PORT" until one
    // is answered again.
    void SetPortName(const std::string& portName);

    // The port and clock "Monitor..." samples the signal on; without them the
    // button stays disabled.
    void SetMonitorPort(ModemPort& port, Clock& clock);
    // Opens the signal monitor, or brings the open one to the front.
    void OpenMonitor();
    SignalMonitorWindow* Monitor() const;

    // Runs the device information collection again and shows its results;
    // configuration replies that could not be read are reported.
    void Refresh();
    // The port went away: says so on the Status line until the next Refresh,
    // and shows the values greyed, with the time they were read, until a
    // collection reads them again.
    void ShowDisconnected();
    // A script was answered: the Status line says the gateway is connected.
    void ShowConnected();

    // Lamp state as shown; bars count from 1 (leftmost).
    bool SignalLampLit(int bar) const;
    bool SignalLampShown(int bar) const;
    bool LinkLampLit() const;

protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    bool DoDataExchange(bool save) override;

private:
    void BuildLayout();
    ValueField* AddField(const QString& label, QWidget* group);
    QLabel* MakeLamp(const QString& name);
    void ShowValues();
    void ShowLinkState();
    void UpdateLamps();
    void ShowLastKnown(bool lastKnown);
    void SetLamp(QLabel* lamp, bool lit);

    ConfigModel& model_;
    ScriptRunner& runner_;
    Prompter& prompter_;
    DeviceInfo info_;
    std::string portName_;
    std::string iccid_;
    std::string product_;
    std::string firmware_;
    std::string ipAddress_;
    BindingTable table_;

    QPixmap litLamp_;
    QPixmap unlitLamp_;
    ValueField* status_ = nullptr;
    QLabel* lastRead_ = nullptr;
    std::vector<QWidget*> valueGroups_;
    QTime readAt_;
    ValueField* productEdit_ = nullptr;
    ValueField* firmwareEdit_ = nullptr;
    ValueField* imsi_ = nullptr;
    ValueField* iccidEdit_ = nullptr;
    ValueField* phoneNumber_ = nullptr;
    ValueField* manufacturer_ = nullptr;
    ValueField* serialNumber_ = nullptr;
    ValueField* revision_ = nullptr;
    ValueField* signal_ = nullptr;
    ValueField* network_ = nullptr;
    QLabel* linkLamp_ = nullptr;
    std::array<QLabel*, kSignalBars> signalLamps_{};
    IpAddressEdit* ipEdit_ = nullptr;
    QPushButton* monitorButton_ = nullptr;
    ModemPort* monitorPort_ = nullptr;
    Clock* monitorClock_ = nullptr;
    QPointer<SignalMonitorWindow> monitor_;
};
