#pragma once

#include <string>

#include "model/SettingConverters.h"
#include "pages/SettingsPage.h"

class Prompter;

// "Remote Management": the client-initiated connection to the management
// server and the server-initiated one (Last Known Address updates), which
// lives in the second "mgmtconnection" group (index 3).
class SkyvanePage : public SettingsPage {
    Q_OBJECT

public:
    SkyvanePage(ConfigModel& model, Prompter& prompter, QWidget* parent = nullptr);

protected:
    void BeforeRead() override;
    void AfterRead(bool reloaded) override;
    bool DoDataExchange(bool save) override;

private:
    // A pause shown as hours, minutes and seconds behind its check box.
    struct TimeoutLine {
        QString caption;
        QCheckBox* box = nullptr;
        QLineEdit* hours = nullptr;
        QLineEdit* minutes = nullptr;
        QLineEdit* seconds = nullptr;
    };

    void BuildTimeoutFields(TimeoutLine& line, QWidget* frame, QGridLayout* grid, int row,
                            const QWidget* owner);
    QLineEdit* AddNumberField(const QString& name, QWidget* frame);
    bool ExchangeTimeout(bool save, const TimeoutLine& line, TimeoutFields& fields, int stored,
                         int& seconds);
    bool TakeField(QLineEdit* field, const QString& caption, const char* unit, FieldRange range,
                   int& value);
    void TakeValuesAndApplyEnableRules();
    void ApplyEnableRules();

    Prompter& prompter_;

    int clientEnabled_ = 0;
    std::string clientAddress_;
    std::string storedClientAddress_;
    int reconnectTimeout_ = kTimeoutOff;
    int storedReconnect_ = kTimeoutOff;
    TimeoutFields reconnect_;
    int serverEnabled_ = 0;
    int lkaEnabled_ = 0;
    std::string lkaAddress_;
    int retryTimeout_ = kTimeoutOff;
    int storedRetry_ = kTimeoutOff;
    TimeoutFields retry_;

    QCheckBox* clientBox_ = nullptr;
    QLineEdit* clientAddressEdit_ = nullptr;
    TimeoutLine reconnectLine_;
    QCheckBox* serverBox_ = nullptr;
    QCheckBox* lkaBox_ = nullptr;
    QLineEdit* lkaAddressEdit_ = nullptr;
    TimeoutLine retryLine_;
};
