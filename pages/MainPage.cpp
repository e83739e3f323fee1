#include "pages/MainPage.h"

#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/LinkMessages.h"
#include "link/Prompter.h"
#include "model/CellularValues.h"
#include "model/ConfigModel.h"
#include "model/DeviceInfoCollection.h"
#include "model/UnreadReport.h"
#include "pages/IpAddressEdit.h"
#include "pages/LampRules.h"
#include "pages/SignalMonitorWindow.h"
#include "pages/ValueField.h"

namespace {

const char kLitProperty[] = "lit";
// Room on each side of the line between the link lamp and the signal lamps.
constexpr int kLampGroupGap = 24;
constexpr char kPinHint[] =
    "The gateway unlocks the SIM with the SIM Pin setting on the Mobile page.";

}  // namespace

MainPage::MainPage(ConfigModel& model, ScriptRunner& runner, Prompter& prompter, QWidget* parent)
    : PropertyPage(QStringLiteral("Device Information"), parent),
      model_(model),
      runner_(runner),
      prompter_(prompter),
      litLamp_(QStringLiteral(":/images/lamp_lit.xpm")),
      unlitLamp_(QStringLiteral(":/images/lamp_unlit.xpm")) {
    table_ = {
        TextBinding("mobile_stats/iccid", &iccid_),
        TextBinding("ppp_stats/ip_address", &ipAddress_),
        TextBinding("device_info/model", &product_),
        TextBinding("device_info/firmware", &firmware_),
    };
    BuildLayout();
}

ValueField* MainPage::AddField(const QString& label, QWidget* group) {
    auto* edit = new ValueField(group);
    edit->setObjectName(label);
    auto* form = static_cast<QFormLayout*>(group->layout());
    form->addRow(label, edit);
    return edit;
}

QLabel* MainPage::MakeLamp(const QString& name) {
    auto* lamp = new QLabel(this);
    lamp->setObjectName(name);
    SetLamp(lamp, false);
    return lamp;
}

void MainPage::BuildLayout() {
    auto* statusRow = new QWidget(this);
    statusRow->setLayout(new QFormLayout);
    status_ = AddField(QStringLiteral("Status"), statusRow);
    // Wide enough for "Not connected: no answer on /dev/ttyACM10"; a longer
    // by-id name is elided in the middle, whole in the tooltip.
    status_->ReserveWidthFor(QStringLiteral("Not connected: no answer on /dev/ttyACM10"));
    lastRead_ = new QLabel(this);
    lastRead_->setObjectName(QStringLiteral("lastRead"));
    lastRead_->hide();

    auto* device = new QGroupBox(QStringLiteral("Device Information"), this);
    device->setLayout(new QFormLayout);
    productEdit_ = AddField(QStringLiteral("Product"), device);
    firmwareEdit_ = AddField(QStringLiteral("Firmware Version"), device);
    // Room for a product name such as "Linkhold R7 Cellular Gateway" and a
    // firmware version with a build suffix; longer ones are elided, whole in
    // the tooltip.
    productEdit_->ReserveWidthFor(QStringLiteral("Linkhold R7 Cellular Gateway"));
    firmwareEdit_->ReserveWidthFor(QStringLiteral("2.11.4.7 (build 2026-12-08)"));

    auto* mobile = new QGroupBox(QStringLiteral("Mobile Information"), this);
    mobile->setLayout(new QFormLayout);
    imsi_ = AddField(QStringLiteral("IMSI"), mobile);
    iccidEdit_ = AddField(QStringLiteral("ICCID"), mobile);
    phoneNumber_ = AddField(QStringLiteral("Phone Number"), mobile);
    manufacturer_ = AddField(QStringLiteral("Modem Manufacturer"), mobile);
    serialNumber_ = AddField(QStringLiteral("Modem Serial Number"), mobile);
    revision_ = AddField(QStringLiteral("Modem Revision"), mobile);
    // The longest values shown whole: a 15-digit IMSI, a 20-digit ICCID and
    // 40 characters of revision (capitals, the widest that modems report).
    imsi_->ReserveWidthFor(QString(15, u'0'));
    iccidEdit_->ReserveWidthFor(QString(20, u'0'));
    revision_->ReserveWidthFor(QString(40, u'X'));

    auto* connection = new QGroupBox(QStringLiteral("Mobile Connection"), this);
    auto* lamps = new QGridLayout;
    linkLamp_ = MakeLamp(QStringLiteral("linkLamp"));
    lamps->addWidget(linkLamp_, 0, 0, Qt::AlignCenter);
    lamps->addWidget(new QLabel(QStringLiteral("Link"), connection), 1, 0, Qt::AlignCenter);
    // A line between the link lamp and the signal lamps, so that the link is
    // never read as one more bar.
    auto* divider = new QFrame(connection);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    lamps->addWidget(divider, 0, 1, 2, 1, Qt::AlignHCenter);
    lamps->setColumnMinimumWidth(1, kLampGroupGap);
    auto* bars = new QHBoxLayout;
    for (int bar = 0; bar < kSignalBars; ++bar) {
        signalLamps_[bar] = MakeLamp(QStringLiteral("signalLamp%1").arg(bar + 1));
        bars->addWidget(signalLamps_[bar]);
    }
    bars->addStretch();
    lamps->addLayout(bars, 0, 2);
    lamps->addWidget(new QLabel(QStringLiteral("Signal Strength"), connection), 1, 2);
    lamps->setColumnStretch(2, 1);
    auto* linkRows = new QWidget(connection);
    auto* linkForm = new QFormLayout(linkRows);
    linkForm->setContentsMargins(0, 0, 0, 0);
    signal_ = AddField(QStringLiteral("Signal"), linkRows);
    network_ = AddField(QStringLiteral("Network"), linkRows);
    signal_->ReserveWidthFor(QStringLiteral("-113 dBm (CSQ 99)"));
    network_->ReserveWidthFor(QStringLiteral("Registered, home network"));
    ipEdit_ = new IpAddressEdit(connection);
    ipEdit_->setObjectName(QStringLiteral("ipAddress"));
    linkForm->addRow(QStringLiteral("Mobile IP Address"), ipEdit_);
    auto* connectionLayout = new QVBoxLayout(connection);
    connectionLayout->addLayout(lamps);
    connectionLayout->addWidget(linkRows);

    // Made in the order they stand, which is the Tab order. Refresh chooses its
    // key first: the page's labels would leave it none.
    monitorButton_ = new QPushButton(QStringLiteral("Monitor..."), this);
    monitorButton_->setObjectName(QStringLiteral("monitor"));
    monitorButton_->setEnabled(monitorPort_ != nullptr);
    connect(monitorButton_, &QPushButton::clicked, this, &MainPage::OpenMonitor);
    auto* refresh = new QPushButton(QStringLiteral("&Refresh"), this);
    refresh->setObjectName(QStringLiteral("refresh"));
    connect(refresh, &QPushButton::clicked, this, &MainPage::Refresh);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(monitorButton_);
    buttonRow->addWidget(refresh);

    valueGroups_ = {device, mobile, connection};
    auto* right = new QVBoxLayout;
    right->addWidget(mobile);
    right->addWidget(connection);
    auto* left = new QVBoxLayout;
    left->addWidget(device);
    left->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);
    auto* page = new QVBoxLayout(this);
    // The status spans the page, so that a long by-id port name has room.
    page->addWidget(statusRow);
    page->addWidget(lastRead_);
    page->addLayout(columns);
    page->addStretch();
    page->addLayout(buttonRow);
}

void MainPage::OnInitDialog() {
    // Start-up has just collected them.
    if (readAt_.isNull())
        readAt_ = QTime::currentTime();
    ShowValues();
    SetModified(false);
}

void MainPage::OnSetActive() {
    ShowValues();
}

void MainPage::SetPortName(const std::string& portName) {
    portName_ = portName;
    info_.statusText = ConnectedText(portName_);
}

void MainPage::SetMonitorPort(ModemPort& port, Clock& clock) {
    monitorPort_ = &port;
    monitorClock_ = &clock;
    if (monitorButton_ != nullptr)
        monitorButton_->setEnabled(true);
}

void MainPage::OpenMonitor() {
    if ((monitor_ == nullptr || monitor_->Closing()) && monitorPort_ != nullptr)
        monitor_ = new SignalMonitorWindow(*monitorPort_, prompter_, *monitorClock_, window());
    if (monitor_ == nullptr)
        return;
    monitor_->show();
    monitor_->raise();
    monitor_->activateWindow();
}

SignalMonitorWindow* MainPage::Monitor() const {
    return monitor_;
}

void MainPage::Refresh() {
    // A failed collection leaves what it could read; the page shows that as is,
    // but says so: the values that did not come back are the old ones.
    const CollectionResult result = CollectDeviceInfo(runner_, model_, info_);
    info_.statusText = result.complete ? ConnectedText(portName_) : NoAnswerText(portName_);
    if (result.complete) {
        readAt_ = QTime::currentTime();
        ShowLastKnown(false);
    }
    ShowValues();
    ReportUnreadReplies(prompter_, result.unread);
    // A lost port has been reported already; one message is enough.
    if (!result.complete && !runner_.ToldLostPort())
        prompter_.Warn(kUndetectedTitle, kSilentText, {});
}

void MainPage::ShowDisconnected() {
    info_.statusText = DisconnectedText(portName_);
    ShowLastKnown(true);
    UpdateData(false);
}

void MainPage::ShowConnected() {
    info_.statusText = ConnectedText(portName_);
    UpdateData(false);
}

// Values that may have changed since are greyed, lamps included, and say
// when they were read.
void MainPage::ShowLastKnown(bool lastKnown) {
    for (QWidget* group : valueGroups_)
        group->setEnabled(!lastKnown);
    lastRead_->setText(
        lastKnown
            ? QStringLiteral("Last known values, read at %1").arg(readAt_.toString("HH:mm:ss"))
            : QString());
    lastRead_->setVisible(lastKnown);
}

void MainPage::ShowValues() {
    ReadSetting([](int) {}, table_, model_.StateGroups());
    ipEdit_->SetAddress(ipAddress_);
    UpdateLamps();
    UpdateData(false);
}

bool MainPage::DoDataExchange(bool save) {
    // Elided values are only shown: the page edits nothing, so they never go
    // back into the variables.
    if (!save) {
        status_->ShowElided(QString::fromStdString(info_.statusText));
        productEdit_->ShowElided(QString::fromStdString(product_));
        firmwareEdit_->ShowElided(QString::fromStdString(firmware_));
        ShowLinkState();
    }
    ExchangeText(save, imsi_, info_.imsi);
    imsi_->setToolTip(info_.sim == SimState::PinRequired ? QString::fromLatin1(kPinHint)
                                                         : QString());
    ExchangeText(save, iccidEdit_, iccid_);
    ExchangeText(save, phoneNumber_, info_.phoneNumber);
    ExchangeText(save, manufacturer_, info_.manufacturer);
    ExchangeText(save, serialNumber_, info_.serialNumber);
    ExchangeText(save, revision_, info_.revision);
    return true;
}

// A value is put into words only once the gateway gave it.
void MainPage::ShowLinkState() {
    signal_->setText(info_.signalRead ? QString::fromStdString(SignalText(info_.signal))
                                      : QString());
    network_->setText(info_.registrationRead
                          ? QString::fromStdString(RegistrationWords(info_.registration))
                          : QString());
}

void MainPage::UpdateLamps() {
    const bool threeLamps = HasThreeSignalLamps(product_);
    const int shown = threeLamps ? 3 : kSignalBars;
    const int lit = LitSignalBars(info_.signal, threeLamps);
    for (int bar = 0; bar < kSignalBars; ++bar) {
        signalLamps_[bar]->setHidden(bar >= shown);
        if (bar < shown)
            SetLamp(signalLamps_[bar], bar < lit);
    }
    SetLamp(linkLamp_, IsLinkLit(ipAddress_));
}

void MainPage::SetLamp(QLabel* lamp, bool lit) {
    lamp->setPixmap(lit ? litLamp_ : unlitLamp_);
    lamp->setProperty(kLitProperty, lit);
}

bool MainPage::SignalLampLit(int bar) const {
    return signalLamps_.at(bar - 1)->property(kLitProperty).toBool();
}

bool MainPage::SignalLampShown(int bar) const {
    return !signalLamps_.at(bar - 1)->isHidden();
}

bool MainPage::LinkLampLit() const {
    return linkLamp_->property(kLitProperty).toBool();
}
