#pragma once

#include <functional>
#include <optional>
#include <string>

#include "model/ProviderDatabase.h"
#include "pages/SettingsPage.h"

struct DeviceInfo;
class Prompter;
class QPushButton;

// "Mobile": the mobile service plan, account, SIM PIN and radio band.
// "Choose Provider..." fills the plan and account from the providers'
// database, opened on the SIM's network; nothing is sent until Apply.
class CellPage : public SettingsPage {
    Q_OBJECT

public:
    // Asks for an access point of the database, opened on the network of the
    // SIM with this IMSI; none when the user cancelled.
    using ProviderChooser = std::function<std::optional<ApnPreset>(
        QWidget* parent, const ProviderDatabase& database, const std::string& imsi)>;

    // `sim` is the SIM whose network the choice opens on (none: by country
    // only); `prompter` is told when the database cannot be read.
    explicit CellPage(ConfigModel& model, const DeviceInfo* sim = nullptr,
                      Prompter* prompter = nullptr, QWidget* parent = nullptr);

    // In place of the installed database and the provider dialog.
    void SetProviderChooser(const ProviderDatabase& database, ProviderChooser chooser);

    // "Choose Provider...": fills the fields from the access point chosen.
    void ChooseProvider();

protected:
    bool DoDataExchange(bool save) override;

private:
    QLineEdit* AddEdit(const QString& label, const char* path, std::string& value);
    void Fill(QLineEdit* edit, const std::string& value);

    const DeviceInfo* sim_;
    Prompter* prompter_;
    const ProviderDatabase* database_ = nullptr;  // nullptr: the installed one
    ProviderChooser chooser_;

    std::string apn_;
    std::string username_;
    std::string password_;
    std::string pin_;
    std::string band_;
    std::string bandChoices_;

    QGridLayout* providerGrid_ = nullptr;
    GroupFrame* providerFrame_ = nullptr;
    GroupFrame* bandFrame_ = nullptr;
    QLineEdit* apnEdit_ = nullptr;
    QPushButton* chooseButton_ = nullptr;
    QLineEdit* usernameEdit_ = nullptr;
    QLineEdit* passwordEdit_ = nullptr;
    QLineEdit* pinEdit_ = nullptr;
    ChoiceList* bandList_ = nullptr;
};
