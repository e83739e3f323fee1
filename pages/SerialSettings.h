#pragma once

#include <array>
#include <string>

#include "pages/SettingsPage.h"

// "Serial Port": the gateway's serial line settings and the network services
// that give remote access to the port.
class SerialSettings : public SettingsPage {
    Q_OBJECT

public:
    explicit SerialSettings(ConfigModel& model, QWidget* parent = nullptr);

protected:
    bool DoDataExchange(bool save) override;

private:
    struct LineSetting {
        std::string value;
        std::string choices;
        ChoiceList* list = nullptr;
    };

    // One network service: switched on or off, on a port, for TCP services
    // with TCP keep-alive.
    struct Service {
        int state = 0;
        std::string port;
        int keepAlive = 0;
        QCheckBox* stateBox = nullptr;
        QLineEdit* portEdit = nullptr;
        QCheckBox* keepAliveBox = nullptr;
    };

    void BuildLineSettings();
    void BuildServices();
    void ApplyServiceRules();

    std::array<LineSetting, 5> lineSettings_;
    std::array<Service, 5> services_;
};
