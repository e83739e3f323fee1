#include "pages/SkyvanePage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "link/Prompter.h"
#include "pages/GroupFrame.h"

namespace {

constexpr char kClientGroup[] = "mgmtconnection/";
constexpr char kServerGroup[] = "mgmtconnection&index=3/";
constexpr char kAddress[] = "ServerArray&index=1/serverAddress";
constexpr char kTimeout[] = "clientConnectionReconnectTimeout";

// Wide enough for "devices.tarvel.example" and similar host names.
constexpr int kAddressChars = 36;
// The hours of a pause of up to a week need three numerals, plus the frame.
constexpr int kNumberChars = 6;

QCheckBox* NewCheck(const QString& caption, QWidget* frame) {
    auto* box = new QCheckBox(caption, frame);
    box->setObjectName(caption.trimmed());
    return box;
}

QLineEdit* NewAddress(const char* path, QWidget* frame) {
    auto* edit = new QLineEdit(frame);
    edit->setObjectName(QString::fromLatin1(path));
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * kAddressChars);
    return edit;
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets)
        widget->setEnabled(enabled);
}

}  // namespace

SkyvanePage::SkyvanePage(ConfigModel& model, Prompter& prompter, QWidget* parent)
    : SettingsPage(QStringLiteral("Remote Management"), model, parent), prompter_(prompter) {
    const std::string client = kClientGroup;
    QGridLayout* clientGrid = nullptr;
    GroupFrame* clientFrame =
        AddFrame(QStringLiteral("Client-Initiated Management Connection"), clientGrid);
    clientBox_ = NewCheck(QStringLiteral("Enable Remote Management and Configuration using a "
                                         "client-initiated connection "),
                          clientFrame);
    clientAddressEdit_ = NewAddress("clientServerAddress", clientFrame);
    reconnectLine_.caption = QStringLiteral("Reconnect after:");
    reconnectLine_.box =
        NewCheck(QStringLiteral("Automatically reconnect to the server after being disconnected "),
                 clientFrame);
    BindSwitch(client + "connectionEnabled", clientEnabled_, clientBox_);
    SettingBinding& address = BindText(client + kAddress, clientAddress_, clientAddressEdit_);
    // Shown without its "en://" scheme; a stored address the user leaves alone
    // goes back exactly as it was.
    address.readConverter = [this](const std::string& stored) {
        storedClientAddress_ = stored;
        return AddressForDisplay(stored);
    };
    address.writeConverter = [this](const std::string& shown) {
        return AddressForStorage(shown, storedClientAddress_);
    };
    BindNumber(client + kTimeout, reconnectTimeout_, reconnectLine_.box);
    clientGrid->addWidget(clientBox_, 0, 0, 1, 3);
    clientGrid->addWidget(
        AddLabel(QStringLiteral("Server Address: "), clientFrame, clientAddressEdit_), 1, 1);
    clientGrid->addWidget(clientAddressEdit_, 1, 2);
    clientGrid->addWidget(reconnectLine_.box, 2, 1, 1, 2);
    BuildTimeoutFields(reconnectLine_, clientFrame, clientGrid, 3, clientBox_);
    ShowFrameWith(clientFrame, clientBox_);

    const std::string server = kServerGroup;
    QGridLayout* serverGrid = nullptr;
    GroupFrame* serverFrame =
        AddFrame(QStringLiteral("Server-Initiated Management Connection "), serverGrid);
    serverBox_ = NewCheck(QStringLiteral("Enable Remote Management and Configuration using a "
                                         "server-initiated connection "),
                          serverFrame);
    lkaBox_ =
        NewCheck(QStringLiteral("Enable Last Known Address (LKA) updates to the following server "),
                 serverFrame);
    lkaAddressEdit_ = NewAddress("lkaServerAddress", serverFrame);
    retryLine_.caption = QStringLiteral("Rety after:");
    retryLine_.box = NewCheck(QStringLiteral("Retry if the LKA update fails"), serverFrame);
    BindSwitch(server + "connectionEnabled", serverEnabled_, serverBox_);
    BindSwitch(server + "lastKnownAddressUpdateEnabled", lkaEnabled_, lkaBox_);
    BindText(server + kAddress, lkaAddress_, lkaAddressEdit_);
    BindNumber(server + kTimeout, retryTimeout_, retryLine_.box);
    serverGrid->addWidget(serverBox_, 0, 0, 1, 3);
    serverGrid->addWidget(lkaBox_, 1, 1, 1, 2);
    serverGrid->addWidget(AddLabel(QStringLiteral("Server Address:"), serverFrame, lkaAddressEdit_),
                          2, 1);
    serverGrid->addWidget(lkaAddressEdit_, 2, 2);
    serverGrid->addWidget(retryLine_.box, 3, 1, 1, 2);
    BuildTimeoutFields(retryLine_, serverFrame, serverGrid, 4, serverBox_);
    ShowFrameWith(serverFrame, serverBox_);

    for (QCheckBox* box : {clientBox_, reconnectLine_.box, serverBox_, lkaBox_, retryLine_.box})
        connect(box, &QCheckBox::clicked, this, &SkyvanePage::TakeValuesAndApplyEnableRules);

    auto* page = new QVBoxLayout(this);
    page->addWidget(clientFrame);
    page->addWidget(serverFrame);
    page->addStretch();
}

void SkyvanePage::BuildTimeoutFields(TimeoutLine& line, QWidget* frame, QGridLayout* grid, int row,
                                     QWidget* owner) {
    line.hours = AddNumberField(line.caption + QStringLiteral(" hrs"), frame);
    line.minutes = AddNumberField(line.caption + QStringLiteral(" mins"), frame);
    line.seconds = AddNumberField(line.caption + QStringLiteral(" secs"), frame);
    auto* fields = new QHBoxLayout;
    const std::pair<QLineEdit*, const char*> units[] = {
        {line.hours, "hrs"}, {line.minutes, "mins"}, {line.seconds, "secs"}};
    // Each unit names the field before it; the caption names the first.
    for (auto [field, unit] : units) {
        ShowWith(field, owner);
        fields->addWidget(field);
        QLabel* unitLabel = AddLabel(QString::fromLatin1(unit), frame, owner);
        unitLabel->setBuddy(field);
        fields->addWidget(unitLabel);
    }
    fields->addStretch();
    QLabel* caption = AddLabel(line.caption, frame, owner);
    caption->setBuddy(line.hours);
    grid->addWidget(caption, row, 1);
    grid->addLayout(fields, row, 2);
    grid->setColumnMinimumWidth(0, frame->fontMetrics().averageCharWidth() * 3);
}

QLineEdit* SkyvanePage::AddNumberField(const QString& name, QWidget* frame) {
    auto* field = new QLineEdit(frame);
    field->setObjectName(name);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    field->setMaximumWidth(field->fontMetrics().averageCharWidth() * kNumberChars);
    WatchEdits(field);
    return field;
}

void SkyvanePage::BeforeRead() {
    // An empty stored address never reaches the read converter.
    storedClientAddress_.clear();
}

void SkyvanePage::AfterRead(bool reloaded) {
    storedReconnect_ = reconnectTimeout_;
    storedRetry_ = retryTimeout_;
    // The pauses hold the user's unapplied edits across visits to other pages;
    // only a new tree (a reload, an apply, a factory reset or a restore) is
    // decoded again, so the fields never show a pause older than the tree's.
    if (!reloaded)
        return;
    reconnect_ = DecodeTimeout(reconnectTimeout_);
    retry_ = DecodeTimeout(retryTimeout_);
}

bool SkyvanePage::DoDataExchange(bool save) {
    ExchangeCheck(save, clientBox_, clientEnabled_);
    ExchangeText(save, clientAddressEdit_, clientAddress_);
    ExchangeCheck(save, serverBox_, serverEnabled_);
    ExchangeCheck(save, lkaBox_, lkaEnabled_);
    ExchangeText(save, lkaAddressEdit_, lkaAddress_);
    if (!ExchangeTimeout(save, reconnectLine_, reconnect_, storedReconnect_, reconnectTimeout_) ||
        !ExchangeTimeout(save, retryLine_, retry_, storedRetry_, retryTimeout_))
        return false;
    if (!save)
        ApplyEnableRules();
    return true;
}

bool SkyvanePage::ExchangeTimeout(bool save, const TimeoutLine& line, TimeoutFields& fields,
                                  int stored, int& seconds) {
    if (!save) {
        line.box->setChecked(fields.enabled);
        line.hours->setText(QString::number(fields.hours));
        line.minutes->setText(QString::number(fields.minutes));
        line.seconds->setText(QString::number(fields.seconds));
        return true;
    }
    fields.enabled = line.box->isChecked();
    // Fields the user cannot edit keep the values they were given.
    if (line.hours->isEnabled() &&
        !(TakeField(line.hours, line.caption, "hours", kHoursRange, fields.hours) &&
          TakeField(line.minutes, line.caption, "minutes", kMinutesRange, fields.minutes) &&
          TakeField(line.seconds, line.caption, "seconds", kSecondsRange, fields.seconds)))
        return false;
    seconds = EncodeTimeout(fields, stored);
    return true;
}

bool SkyvanePage::TakeField(QLineEdit* field, const QString& caption, const char* unit,
                            FieldRange range, int& value) {
    // Every editable field is checked, typed or not: a stored pause of ten
    // hours or more (9:60:60 is stored as 36060 and comes back as 10:01:00)
    // must be corrected before it can be sent again.
    if (ParseInRange(field->text().toStdString(), range, value))
        return true;
    const QString text = QStringLiteral(
                             "Please enter an integer between %1 and %2 for the %3 of "
                             "\"%4\".")
                             .arg(range.low)
                             .arg(range.high)
                             .arg(QString::fromLatin1(unit), caption);
    prompter_.Warn(Title().toStdString(), text.toStdString(), {});
    field->setFocus();
    field->selectAll();
    return false;
}

void SkyvanePage::TakeValuesAndApplyEnableRules() {
    // A refused field keeps the focus and its message; the click still counts.
    UpdateData(true);
    ApplyEnableRules();
}

void SkyvanePage::ApplyEnableRules() {
    const bool client = clientBox_->isChecked();
    SetEnabled({clientAddressEdit_, reconnectLine_.box}, client);
    const bool reconnect = client && reconnectLine_.box->isChecked();
    SetEnabled({reconnectLine_.hours, reconnectLine_.minutes, reconnectLine_.seconds}, reconnect);

    const bool server = serverBox_->isChecked();
    lkaBox_->setEnabled(server);
    const bool lka = server && lkaBox_->isChecked();
    SetEnabled({lkaAddressEdit_, retryLine_.box}, lka);
    const bool retry = lka && retryLine_.box->isChecked();
    SetEnabled({retryLine_.hours, retryLine_.minutes, retryLine_.seconds}, retry);
}
