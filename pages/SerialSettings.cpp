#include "pages/SerialSettings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "pages/ChoiceList.h"
#include "pages/GroupFrame.h"

namespace {

struct LineDefinition {
    const char* path;
    const char* label;
    const char* choices;
};

constexpr std::array<LineDefinition, 5> kLineSettings = {{
    {"serial/baud",
     "Baud Rate:", "300\n600\n1200\n2400\n4800\n9600\n19200\n38400\n57600\n115200\n230400"},
    {"serial/databits", "Data Bits:", "8\n7\n6\n5"},
    {"serial/parity", "Parity:", "None\nOdd\nEven"},
    {"serial/stopbits", "Stop Bits:", "1\n2"},
    {"serial/flowcontrol", "Flow Control:", "None\nHardware"},
}};

struct ServiceDefinition {
    const char* group;
    const char* caption;
    bool tcp;  // numerals-only port and a keep-alive switch
};

constexpr std::array<ServiceDefinition, 5> kServices = {{
    {"telnet_server", "Enable Telnet access using TCP Port:", true},
    {"tcp_server", "Enable Raw TCP access using TCP Port: ", true},
    {"ssh_server", "Enable Secure Shell (SSH) access using TCP Port:", true},
    {"securesocket", "Enable Secure Socket access using TCP Port:", true},
    {"udp_server", "Enable UDP access using UDP Port:", false},
}};

// Wide enough for any port number.
constexpr int kPortChars = 8;

}  // namespace

SerialSettings::SerialSettings(ConfigModel& model, QWidget* parent)
    : SettingsPage(QStringLiteral("Serial Port"), model, parent) {
    new QVBoxLayout(this);
    BuildLineSettings();
    BuildServices();
}

void SerialSettings::BuildLineSettings() {
    QGridLayout* grid = nullptr;
    GroupFrame* frame = AddFrame(QStringLiteral("Basic Serial Port Settings"), grid);
    for (std::size_t i = 0; i < kLineSettings.size(); ++i) {
        const LineDefinition& definition = kLineSettings[i];
        LineSetting& setting = lineSettings_[i];
        setting.choices = definition.choices;
        setting.list = new ChoiceList(frame);
        setting.list->setObjectName(QString::fromLatin1(definition.path));
        BindChoice(definition.path, setting.value, setting.choices, setting.list);
        const int row = static_cast<int>(i);
        grid->addWidget(AddLabel(QString::fromLatin1(definition.label), frame, setting.list), row,
                        0);
        grid->addWidget(setting.list, row, 1);
    }
    grid->setColumnStretch(2, 1);
    ShowFrameWith(frame, lineSettings_[0].list);
    static_cast<QVBoxLayout*>(layout())->addWidget(frame);
}

void SerialSettings::BuildServices() {
    QGridLayout* grid = nullptr;
    GroupFrame* frame = AddFrame(QStringLiteral("Serial Port Network Settings"), grid);
    for (std::size_t i = 0; i < kServices.size(); ++i) {
        const ServiceDefinition& definition = kServices[i];
        Service& service = services_[i];
        const std::string group = std::string(definition.group) + "/";
        const QString caption = QString::fromLatin1(definition.caption);
        service.stateBox = new QCheckBox(caption, frame);
        service.stateBox->setObjectName(QString::fromStdString(group + "state"));
        service.portEdit = new QLineEdit(frame);
        service.portEdit->setObjectName(QString::fromStdString(group + "port"));
        // The check box's caption ends in the port's name; a check box cannot
        // be a label's buddy.
        service.portEdit->setAccessibleName(caption.trimmed());
        service.portEdit->setMaximumWidth(service.portEdit->fontMetrics().averageCharWidth() *
                                          kPortChars);
        BindSwitch(group + "state", service.state, service.stateBox);
        BindText(group + "port", service.port, service.portEdit);
        const int row = static_cast<int>(i) + 1;
        grid->addWidget(service.stateBox, row, 0);
        grid->addWidget(service.portEdit, row, 1);
        if (definition.tcp) {
            service.portEdit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), service.portEdit));
            service.keepAliveBox = new QCheckBox(QStringLiteral("Enable TCP Keep-Alive "), frame);
            service.keepAliveBox->setObjectName(QString::fromStdString(group + "keepalive"));
            BindSwitch(group + "keepalive", service.keepAlive, service.keepAliveBox);
            grid->addWidget(service.keepAliveBox, row, 2);
        }
        connect(service.stateBox, &QCheckBox::clicked, this, &SerialSettings::ApplyServiceRules);
    }
    QCheckBox* telnet = services_[0].stateBox;
    grid->addWidget(AddLabel(QStringLiteral("TCP Serial"), frame, telnet), 0, 0, 1, 3);
    grid->setColumnStretch(3, 1);
    ShowFrameWith(frame, telnet);
    auto* page = static_cast<QVBoxLayout*>(layout());
    page->addWidget(frame);
    page->addStretch();
}

bool SerialSettings::DoDataExchange(bool save) {
    for (LineSetting& setting : lineSettings_)
        ExchangeChoice(save, setting.list, setting.value);
    for (Service& service : services_) {
        ExchangeCheck(save, service.stateBox, service.state);
        ExchangeText(save, service.portEdit, service.port);
        if (service.keepAliveBox)
            ExchangeCheck(save, service.keepAliveBox, service.keepAlive);
    }
    if (!save)
        ApplyServiceRules();
    return true;
}

void SerialSettings::ApplyServiceRules() {
    for (Service& service : services_) {
        const bool on = service.stateBox->isChecked();
        service.portEdit->setEnabled(on);
        if (service.keepAliveBox)
            service.keepAliveBox->setEnabled(on);
    }
}
