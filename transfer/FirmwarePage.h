#pragma once

#include <string>

#include "model/SettingBinding.h"
#include "pages/PropertyPage.h"

class Clock;
class ConfigModel;
class Prompter;
class QLineEdit;
class ScriptRunner;
class UploadRunner;

// "Firmware Update": the gateway's model and firmware version, and the update
// from an image file on the PC. The user confirms the file and the version it
// replaces; the image is uploaded and its digest checked; then the gateway
// installs it and restarts, and the page shows what the restarted gateway
// reports and, on the status line, how long the restart took.
class FirmwarePage : public PropertyPage {
    Q_OBJECT

public:
    FirmwarePage(ConfigModel& model, ScriptRunner& runner, UploadRunner& uploader,
                 Prompter& prompter, QWidget* parent = nullptr);

    // How long the restart takes is measured on this clock.
    void SetClock(Clock& clock) { clock_ = &clock; }

    // The button handlers.
    void Browse();
    void Update();

protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    bool DoDataExchange(bool save) override;

private:
    void BuildLayout();
    void ShowState();
    bool ConfirmInstall();

    ConfigModel& model_;
    ScriptRunner& runner_;
    UploadRunner& uploader_;
    Prompter& prompter_;
    Clock* clock_;
    BindingTable table_;

    std::string productModel_;
    std::string firmwareVersion_;
    std::string firmwareFile_;
    QLineEdit* modelEdit_ = nullptr;
    QLineEdit* firmwareEdit_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
};
