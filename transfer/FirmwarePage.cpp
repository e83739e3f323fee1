#include "transfer/FirmwarePage.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "link/Clock.h"
#include "link/Prompter.h"
#include "model/ConfigModel.h"
#include "model/UnreadReport.h"
#include "transfer/DeviceScripts.h"
#include "transfer/TimedScriptRunner.h"

namespace {

QLineEdit* ReadOnlyField(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    return edit;
}

}  // namespace

FirmwarePage::FirmwarePage(ConfigModel& model, ScriptRunner& runner, UploadRunner& uploader,
                           Prompter& prompter, QWidget* parent)
    : PropertyPage(QStringLiteral("Firmware Update"), parent),
      model_(model),
      runner_(runner),
      uploader_(uploader),
      prompter_(prompter),
      clock_(&Clock::System()) {
    table_ = {
        TextBinding("device_info/product", &productModel_),
        TextBinding("device_info/firmwaresoftrevstr", &firmwareVersion_),
    };
    BuildLayout();
}

void FirmwarePage::BuildLayout() {
    auto* group = new QGroupBox(this);
    auto* form = new QFormLayout;
    modelEdit_ = ReadOnlyField(QStringLiteral("model"), group);
    firmwareEdit_ = ReadOnlyField(QStringLiteral("firmware"), group);
    // Product names run to some thirty characters.
    modelEdit_->setMinimumWidth(modelEdit_->fontMetrics().averageCharWidth() * 36);
    form->addRow(QStringLiteral("Model:"), modelEdit_);
    form->addRow(QStringLiteral("Firmware:"), firmwareEdit_);

    fileEdit_ = new QLineEdit(group);
    fileEdit_->setObjectName(QStringLiteral("firmwareFile"));
    auto* browse = new QPushButton(QStringLiteral("Browse..."), group);
    browse->setProperty(kLocalButton, true);
    browse->setObjectName(QStringLiteral("browse"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit_, 1);
    fileRow->addWidget(browse);
    auto* fileForm = new QFormLayout;
    auto* fileLabel = new QLabel(QStringLiteral("Select Firmware:"), group);
    fileLabel->setBuddy(fileEdit_);
    fileForm->addRow(fileLabel, fileRow);

    auto* update = new QPushButton(QStringLiteral("Update"), group);
    update->setObjectName(QStringLiteral("update"));
    // Enter in a field must never start an update.
    update->setAutoDefault(false);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &FirmwarePage::Browse);
    connect(update, &QPushButton::clicked, this, &FirmwarePage::Update);

    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(form);
    groupLayout->addSpacing(fontMetrics().height() * 2);
    groupLayout->addLayout(fileForm);
    groupLayout->addWidget(update, 0, Qt::AlignLeft);

    auto* page = new QVBoxLayout(this);
    page->addWidget(group);
    page->addStretch();
}

void FirmwarePage::OnInitDialog() {
    ShowState();
    SetModified(false);
}

void FirmwarePage::OnSetActive() {
    ShowState();
}

void FirmwarePage::ShowState() {
    // Without a state tree the boxes keep what they showed.
    ReadSetting([](int) {}, table_, model_.StateGroups());
    UpdateData(false);
}

bool FirmwarePage::DoDataExchange(bool save) {
    ExchangeText(save, modelEdit_, productModel_);
    ExchangeText(save, firmwareEdit_, firmwareVersion_);
    ExchangeText(save, fileEdit_, firmwareFile_);
    return true;
}

void FirmwarePage::Browse() {
    UpdateData(true);
    const std::string path = prompter_.ChooseOpenFile("Open", firmwareFile_, "*.bin (*)");
    if (!path.empty())
        firmwareFile_ = path;
    UpdateData(false);
}

// A missing or unreadable file is left to the update's own first message.
bool FirmwarePage::ConfirmInstall() {
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(firmwareFile_, error);
    if (firmwareFile_.empty() || error)
        return true;
    const QString size = QLocale::c().formattedDataSize(static_cast<qint64>(bytes));
    return prompter_.Confirm("Firmware Update",
                             "Install " + firmwareFile_ + " (" + size.toStdString() +
                                 ") in place of firmware " + firmwareVersion_ +
                                 "? The R7 restarts.",
                             "Install");
}

void FirmwarePage::Update() {
    UpdateData(true);
    if (!ConfirmInstall())
        return;
    TimedScriptRunner timed(runner_, *clock_);
    const FirmwareUpdateResult result =
        UpdateFirmware(timed, uploader_, prompter_, model_, firmwareFile_);
    if (result.outcome == FirmwareUpdateOutcome::NotSent)
        return;
    ShowState();
    ReportUnreadReplies(prompter_, result.unread);
    // The install's script is the last one run: it ends when the restarted
    // gateway answered.
    if (result.outcome == FirmwareUpdateOutcome::Installed && result.unread.empty())
        ShowStatus(QStringLiteral("Firmware %1 installed; the R7 restarted in %2 s")
                       .arg(QString::fromStdString(firmwareVersion_))
                       .arg(timed.LastRunSeconds()));
    if (result.outcome == FirmwareUpdateOutcome::Refused)
        prompter_.Warn("Error", "Firmware Upgrade failed.", {}, MessageKind::Error);
    // The boxes still show the state from before the install.
    if (result.outcome == FirmwareUpdateOutcome::NotBack)
        prompter_.Warn("Error",
                       "The device did not come back after the firmware upgrade, so the firmware "
                       "version shown is the one from before the upgrade.",
                       {}, MessageKind::Error);
}
