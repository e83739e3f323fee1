#pragma once

#include <string>
#include <vector>

#include "model/RadioSettingsCheck.h"
#include "model/SettingBinding.h"
#include "pages/PageHost.h"
#include "pages/PropertyPage.h"

class ConfigModel;
class Prompter;
class QComboBox;
class QGridLayout;
class QLineEdit;
class ScriptRunner;
class UploadRunner;

// "Meshlet": the gateway's own mesh radio. Shows its identity from the state,
// edits its basic settings in the radio settings tree and updates its
// firmware from a local file.
class MeshletPage : public PropertyPage {
    Q_OBJECT

public:
    MeshletPage(ConfigModel& model, ScriptRunner& runner, UploadRunner& uploader,
                Prompter& prompter, QWidget* parent = nullptr);

    QEvent::Type ApplyRequest() const override { return WM_APPLY_RADIO_CONFIGURATION; }

    // The two buttons of the firmware group.
    void Browse();
    void UpdateFirmware();

protected:
    void OnInitDialog() override;
    bool OnApply() override;
    void OnApplied() override;
    bool DoDataExchange(bool save) override;

private:
    void BuildLayout();
    QLineEdit* AddSetting(QGridLayout* grid, const QString& label, const QString& name,
                          const QString& note);
    void ReadBothTrees();
    void ReadRadioTree();
    RadioSettingsEntry Entry() const;
    void ShowPowerLevel(const std::string& shown);
    QLineEdit* FieldFor(RadioField field) const;

    ConfigModel& model_;
    ScriptRunner& runner_;
    UploadRunner& uploader_;
    Prompter& prompter_;
    std::vector<std::string> powerLevels_;

    std::string extendedAddress_;
    std::string productType_;
    std::string firmwareVersion_;
    std::string extendedPanId_;
    std::string nodeId_;
    std::string discoverTimeout_;
    std::string scanChannels_;
    std::string scanDuration_;
    std::string powerLevel_;
    std::string joinTime_;
    std::string firmwarePath_;
    BindingTable table_;
    // The identity rows alone, read after an update whose radio settings did
    // not come back, so that the settings the user typed stay.
    BindingTable identityTable_;
    // The checked values as the gateway reported them: a field is checked on
    // apply when it differs from these.
    RadioSettingsEntry stored_;

    QLineEdit* extendedAddressEdit_ = nullptr;
    QLineEdit* productTypeEdit_ = nullptr;
    QLineEdit* firmwareVersionEdit_ = nullptr;
    QLineEdit* extendedPanIdEdit_ = nullptr;
    QLineEdit* nodeIdEdit_ = nullptr;
    QLineEdit* discoverTimeoutEdit_ = nullptr;
    QLineEdit* scanChannelsEdit_ = nullptr;
    QLineEdit* scanDurationEdit_ = nullptr;
    QComboBox* powerLevelBox_ = nullptr;
    QLineEdit* joinTimeEdit_ = nullptr;
    QLineEdit* firmwarePathEdit_ = nullptr;
};
