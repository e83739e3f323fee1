#pragma once

#include <string>

#include "model/SettingBinding.h"
#include "pages/PropertyPage.h"

class ConfigModel;
class Prompter;
class QLineEdit;
class ScriptRunner;
class UploadRunner;

// "Firmware Update": the gateway's model and firmware version, and the update
// from an image file on the PC. The image is uploaded and its digest checked;
// then the gateway installs it and restarts, and the page shows what the
// restarted gateway reports. No question is asked before the update starts.
class FirmwarePage : public PropertyPage {
    Q_OBJECT

public:
    FirmwarePage(ConfigModel& model, ScriptRunner& runner, UploadRunner& uploader,
                 Prompter& prompter, QWidget* parent = nullptr);

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

    ConfigModel& model_;
    ScriptRunner& runner_;
    UploadRunner& uploader_;
    Prompter& prompter_;
    BindingTable table_;

    std::string productModel_;
    std::string firmwareVersion_;
    std::string firmwareFile_;
    QLineEdit* modelEdit_ = nullptr;
    QLineEdit* firmwareEdit_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
};
