#include "pages/MeshletPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "link/Prompter.h"
#include "model/ChoiceList.h"
#include "model/ConfigModel.h"
#include "model/PowerLevel.h"
#include "model/RadioSettingsCheck.h"
#include "model/UnreadReport.h"
#include "transfer/RadioFirmwareUpdate.h"

namespace {

// The gateway's own radio is always the gateway's product, whatever the
// documents say.
constexpr char kGatewayProduct[] = "R7 Gateway";
// "0x" and sixteen numerals, with room for two more.
constexpr int kPanIdLength = 20;

QLineEdit* MakeEdit(QWidget* parent, const QString& name, bool editable) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(!editable);
    return edit;
}

}  // namespace

MeshletPage::MeshletPage(ConfigModel& model, ScriptRunner& runner, UploadRunner& uploader,
                         Prompter& prompter, QWidget* parent)
    : PropertyPage(QStringLiteral("Meshlet"), parent),
      model_(model),
      runner_(runner),
      uploader_(uploader),
      prompter_(prompter),
      powerLevels_(SplitChoices(kPowerLevelChoices)),
      productType_(kGatewayProduct),
      powerLevel_(powerLevels_.front()) {
    // One table for both trees: the state holds rows 1 to 3, the radio
    // settings the rest. Read second, the configured PAN ID replaces the
    // operating one whenever the radio settings hold it.
    table_ = {
        TextBinding("zigbee_state/gateway_addr", &extendedAddress_),
        TextBinding("zigbee_state/ext_pan_id", &extendedPanId_),
        TextBinding("zigbee_state/firmware_version", &firmwareVersion_),
        TextBinding("radio/ext_pan_id", &extendedPanId_),
        TextBinding("radio/join_time", &joinTime_),
        TextBinding("radio/node_id", &nodeId_),
        TextBinding("radio/discover_timeout", &discoverTimeout_),
        TextBinding("radio/scan_channels", &scanChannels_),
        TextBinding("radio/scan_duration", &scanDuration_),
        TextBinding("radio/power_level", &powerLevel_),
    };
    identityTable_ = {table_[0], table_[2]};
    SettingBinding& power = table_.back();
    power.kind = kTextSetting | kComboSetting;
    power.readConverter = PowerLevelToEntry;
    power.writeConverter = PowerLevelFromEntry;
    BuildLayout();
}

QLineEdit* MeshletPage::AddSetting(QGridLayout* grid, const QString& label, const QString& name,
                                   const QString& note) {
    const int row = grid->rowCount();
    auto* edit = MakeEdit(grid->parentWidget(), name, true);
    auto* caption = new QLabel(label, grid->parentWidget());
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    if (!note.isEmpty())
        grid->addWidget(new QLabel(note, grid->parentWidget()), row, 2);
    WatchEdits(edit);
    return edit;
}

void MeshletPage::BuildLayout() {
    auto* identity = new QFormLayout;
    extendedAddressEdit_ = MakeEdit(this, QStringLiteral("extendedAddress"), false);
    productTypeEdit_ = MakeEdit(this, QStringLiteral("productType"), false);
    firmwareVersionEdit_ = MakeEdit(this, QStringLiteral("firmwareVersion"), false);
    identity->addRow(QStringLiteral("Extended Address:"), extendedAddressEdit_);
    identity->addRow(QStringLiteral("Product Type:"), productTypeEdit_);
    identity->addRow(QStringLiteral("Firmware Version:"), firmwareVersionEdit_);

    auto* basic = new QGroupBox(QStringLiteral("Basic Radio Settings"), this);
    auto* grid = new QGridLayout(basic);
    extendedPanIdEdit_ = AddSetting(
        grid, QStringLiteral("Extended PAN ID (ID):"), QStringLiteral("extendedPanId"),
        QStringLiteral("8 hex bytes (Setting to 0 allows a random extended PAN ID to be used)"));
    extendedPanIdEdit_->setMaxLength(kPanIdLength);
    // Wide enough for a whole PAN ID with its prefix; the other settings are
    // shorter and share the column.
    const QFontMetrics metrics = extendedPanIdEdit_->fontMetrics();
    extendedPanIdEdit_->setMinimumWidth(
        metrics.horizontalAdvance(QString(kPanIdLength, QLatin1Char('0'))) +
        metrics.averageCharWidth() * 2);
    nodeIdEdit_ =
        AddSetting(grid, QStringLiteral("Node Identifier (NI): "), QStringLiteral("nodeId"), {});
    discoverTimeoutEdit_ =
        AddSetting(grid, QStringLiteral("Discover Timeout (NT): "),
                   QStringLiteral("discoverTimeout"), QStringLiteral("tenths of second (0-252) "));
    scanChannelsEdit_ =
        AddSetting(grid, QStringLiteral("Scan Channels (SC): "), QStringLiteral("scanChannels"),
                   QStringLiteral("hex (0xffff=all channels)"));
    scanDurationEdit_ = AddSetting(grid, QStringLiteral("Scan Duration (SD): "),
                                   QStringLiteral("scanDuration"), QStringLiteral("(0-7)"));
    const int powerRow = grid->rowCount();
    powerLevelBox_ = new QComboBox(basic);
    powerLevelBox_->setObjectName(QStringLiteral("powerLevel"));
    auto* powerLabel = new QLabel(QStringLiteral("Transmit Power Level (PL): "), basic);
    powerLabel->setBuddy(powerLevelBox_);
    grid->addWidget(powerLabel, powerRow, 0);
    grid->addWidget(powerLevelBox_, powerRow, 1);
    WatchEdits(powerLevelBox_);
    joinTimeEdit_ =
        AddSetting(grid, QStringLiteral("Allows Join Time (NJ): "), QStringLiteral("joinTime"),
                   QStringLiteral("seconds (0-255. 255=always) "));
    grid->setColumnStretch(1, 1);
    // Numerals only, as typed; the range is checked on apply.
    auto* numerals =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (QLineEdit* edit : {discoverTimeoutEdit_, scanDurationEdit_, joinTimeEdit_})
        edit->setValidator(numerals);

    auto* update = new QGroupBox(QStringLiteral("Update Radio Firmware"), this);
    auto* updateRow = new QHBoxLayout(update);
    firmwarePathEdit_ = MakeEdit(update, QStringLiteral("firmwarePath"), true);
    auto* browse = new QPushButton(QStringLiteral("Browse"), update);
    browse->setProperty(kLocalButton, true);
    browse->setObjectName(QStringLiteral("browse"));
    auto* install = new QPushButton(QStringLiteral("Update"), update);
    install->setObjectName(QStringLiteral("update"));
    connect(browse, &QPushButton::clicked, this, &MeshletPage::Browse);
    connect(install, &QPushButton::clicked, this, &MeshletPage::UpdateFirmware);
    auto* pathLabel = new QLabel(QStringLiteral("Select Firmware:"), update);
    pathLabel->setBuddy(firmwarePathEdit_);
    updateRow->addWidget(pathLabel);
    updateRow->addWidget(firmwarePathEdit_, 1);
    updateRow->addWidget(browse);
    updateRow->addWidget(install);

    auto* page = new QVBoxLayout(this);
    page->addLayout(identity);
    page->addWidget(basic);
    page->addWidget(update);
    page->addStretch();
}

void MeshletPage::OnInitDialog() {
    for (const std::string& entry : powerLevels_)
        powerLevelBox_->addItem(QString::fromStdString(entry));
    powerLevelBox_->setCurrentIndex(0);
    ReadBothTrees();
    UpdateData(false);
    TakeReportedValues();
}

void MeshletPage::ReadBothTrees() {
    ReadSetting({}, table_, model_.StateGroups());
    ReadRadioTree();
}

void MeshletPage::ReadRadioTree() {
    ReadSetting({}, table_, model_.RadioGroups());
    stored_ = Entry();
}

RadioSettingsEntry MeshletPage::Entry() const {
    return {extendedPanId_, discoverTimeout_, scanChannels_, scanDuration_, joinTime_};
}

bool MeshletPage::OnApply() {
    UpdateData(true);
    if (const auto problem = CheckRadioSettingChanges(Entry(), stored_)) {
        prompter_.Warn("Error", problem->message, {}, MessageKind::Error);
        FieldFor(problem->field)->setFocus();
        return false;
    }
    WriteSetting(table_, model_.RadioGroups());
    return true;
}

void MeshletPage::OnApplied() {
    ReadRadioTree();
    UpdateData(false);
}

QLineEdit* MeshletPage::FieldFor(RadioField field) const {
    switch (field) {
        case RadioField::ExtendedPanId:
            return extendedPanIdEdit_;
        case RadioField::DiscoverTimeout:
            return discoverTimeoutEdit_;
        case RadioField::ScanChannels:
            return scanChannelsEdit_;
        case RadioField::ScanDuration:
            return scanDurationEdit_;
        case RadioField::JoinTime:
            break;
    }
    return joinTimeEdit_;
}

bool MeshletPage::DoDataExchange(bool save) {
    ExchangeText(save, extendedAddressEdit_, extendedAddress_);
    productType_ = kGatewayProduct;
    ExchangeText(save, productTypeEdit_, productType_);
    ExchangeText(save, firmwareVersionEdit_, firmwareVersion_);
    ExchangeText(save, extendedPanIdEdit_, extendedPanId_);
    ExchangeText(save, nodeIdEdit_, nodeId_);
    ExchangeText(save, discoverTimeoutEdit_, discoverTimeout_);
    ExchangeText(save, scanChannelsEdit_, scanChannels_);
    ExchangeText(save, scanDurationEdit_, scanDuration_);
    ExchangeText(save, joinTimeEdit_, joinTime_);
    ExchangeText(save, firmwarePathEdit_, firmwarePath_);
    if (save)
        powerLevel_ = powerLevelBox_->currentText().toStdString();
    else
        ShowPowerLevel(powerLevel_);
    return true;
}

// An entry of the list is selected as a whole. A stored value the list does
// not know is shown as stored, as an extra entry, so that applying other
// settings sends it back unchanged.
void MeshletPage::ShowPowerLevel(const std::string& shown) {
    const int known = static_cast<int>(powerLevels_.size());
    while (powerLevelBox_->count() > known)
        powerLevelBox_->removeItem(known);
    int index = FindChoice(powerLevels_, shown);
    if (index < 0) {
        powerLevelBox_->addItem(QString::fromStdString(shown));
        index = known;
    }
    powerLevelBox_->setCurrentIndex(index);
}

void MeshletPage::Browse() {
    ExchangeText(true, firmwarePathEdit_, firmwarePath_);
    const std::string path = prompter_.ChooseOpenFile("Open", firmwarePath_, "*.ebl (*)");
    if (path.empty())
        return;
    firmwarePath_ = path;
    ExchangeText(false, firmwarePathEdit_, firmwarePath_);
}

void MeshletPage::UpdateFirmware() {
    UpdateData(true);
    const RadioFirmwareResult result =
        UpdateRadioFirmware(runner_, uploader_, prompter_, model_, firmwarePath_);
    ReportUnreadReplies(prompter_, result.unread);
    // The fields then show what the new firmware reports: nothing left to
    // apply. Settings that did not come back leave the user's edits in place,
    // still to be applied.
    if (result.outcome == RadioFirmwareOutcome::Installed && result.radioReread) {
        ReadBothTrees();
        UpdateData(false);
        TakeReportedValues();
        return;
    }
    if (result.outcome == RadioFirmwareOutcome::Installed) {
        ReadSetting({}, identityTable_, model_.StateGroups());
    }
    UpdateData(false);
}
