#pragma once

#include <string>

#include "pages/SettingsPage.h"

// "Mobile": the mobile service plan, account, SIM PIN and radio band.
class CellPage : public SettingsPage {
    Q_OBJECT

public:
    explicit CellPage(ConfigModel& model, QWidget* parent = nullptr);

protected:
    bool DoDataExchange(bool save) override;

private:
    QLineEdit* AddEdit(const QString& label, const char* path, std::string& value);

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
    QLineEdit* usernameEdit_ = nullptr;
    QLineEdit* passwordEdit_ = nullptr;
    QLineEdit* pinEdit_ = nullptr;
    ChoiceList* bandList_ = nullptr;
};
