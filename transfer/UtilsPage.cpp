#include "transfer/UtilsPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/Prompter.h"
#include "model/ConfigModel.h"
#include "transfer/ConfigBackup.h"
#include "transfer/DeviceScripts.h"

namespace {

QPushButton* AddButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter belongs to the sheet's OK: a focused button must not turn it into
    // a factory reset or a reboot.
    button->setAutoDefault(false);
    return button;
}

QLabel* AddLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

template <typename Problem>
void Report(Prompter& prompter, Problem problem, const std::string& details) {
    const ProblemText text = DescribeProblem(problem);
    prompter.Warn(text.caption, text.text, details);
}

}  // namespace

UtilsPage::UtilsPage(ConfigModel& model, ScriptRunner& runner, Prompter& prompter, QWidget* parent)
    : PropertyPage(QStringLiteral("Utilities"), parent),
      model_(model),
      runner_(runner),
      prompter_(prompter) {
    BuildLayout();
}

void UtilsPage::BuildLayout() {
    auto* factory = new QGroupBox(QStringLiteral("Factory default settings"), this);
    auto* factoryLayout = new QVBoxLayout(factory);
    factoryLayout->addWidget(AddLabel(
        QStringLiteral("Caution: Restoring the factory default settings will clear all current "
                       "settings and automatically reboot the unit. "),
        factory));
    auto* factoryButton =
        AddButton(QStringLiteral("Restore"), QStringLiteral("factoryRestore"), factory);
    factoryLayout->addWidget(factoryButton, 0, Qt::AlignLeft);
    connect(factoryButton, &QPushButton::clicked, this, &UtilsPage::RestoreFactoryDefaults);

    auto* backup = new QGroupBox(QStringLiteral("Backup / Restore"), this);
    auto* backupLayout = new QGridLayout(backup);
    backupLayout->addWidget(
        AddLabel(QStringLiteral("Backup configuration to a file on your PC or server. "), backup),
        0, 0, 1, 4);
    auto* backupButton = AddButton(QStringLiteral("Backup"), QStringLiteral("backup"), backup);
    backupLayout->addWidget(backupButton, 1, 0);
    backupLayout->addWidget(
        AddLabel(QStringLiteral("You will be prompted for where to save the backup file. "),
                 backup),
        1, 1, 1, 3);
    backupLayout->addWidget(
        AddLabel(QStringLiteral("Restore configuration from a file on your PC or server. "),
                 backup),
        2, 0, 1, 4);
    backupLayout->addWidget(new QLabel(QStringLiteral("Restore From File:"), backup), 3, 0);
    restoreEdit_ = new QLineEdit(backup);
    restoreEdit_->setObjectName(QStringLiteral("restorePath"));
    backupLayout->addWidget(restoreEdit_, 3, 1, 1, 2);
    auto* browseButton = AddButton(QStringLiteral("Browse"), QStringLiteral("browse"), backup);
    browseButton->setProperty(kLocalButton, true);
    backupLayout->addWidget(browseButton, 3, 3);
    auto* restoreButton =
        AddButton(QStringLiteral("Restore"), QStringLiteral("fileRestore"), backup);
    backupLayout->addWidget(restoreButton, 4, 0);
    backupLayout->setColumnStretch(2, 1);
    connect(backupButton, &QPushButton::clicked, this, &UtilsPage::Backup);
    connect(browseButton, &QPushButton::clicked, this, &UtilsPage::Browse);
    connect(restoreButton, &QPushButton::clicked, this, &UtilsPage::RestoreFromFile);

    auto* reboot = new QGroupBox(QStringLiteral("Reboot"), this);
    auto* rebootLayout = new QVBoxLayout(reboot);
    rebootLayout->addWidget(
        AddLabel(QStringLiteral("The reboot process will take approximately 10 seconds to "
                                "complete. Click Reboot now to reboot the unit."),
                 reboot));
    auto* rebootButton = AddButton(QStringLiteral("Reboot"), QStringLiteral("reboot"), reboot);
    rebootLayout->addWidget(rebootButton, 0, Qt::AlignLeft);
    connect(rebootButton, &QPushButton::clicked, this, &UtilsPage::Reboot);

    auto* page = new QVBoxLayout(this);
    page->addWidget(factory);
    page->addWidget(backup);
    page->addWidget(reboot);
    page->addStretch();
}

bool UtilsPage::DoDataExchange(bool save) {
    ExchangeText(save, restoreEdit_, restorePath_);
    return true;
}

void UtilsPage::RestoreFactoryDefaults() {
    ReportDeviceScript(prompter_, ::RestoreFactoryDefaults(runner_, model_));
}

void UtilsPage::Backup() {
    const std::string path = prompter_.ChooseSaveFile("Save As", "backup.cfg", "*.cfg (*.cfg)");
    if (path.empty()) {
        return;
    }
    const BackupResult result = WriteBackup(model_.SettingsDocument(), path);
    if (result.problem != BackupResult::Problem::None) {
        Report(prompter_, result.problem, result.details);
    }
}

void UtilsPage::Browse() {
    UpdateData(true);
    const std::string path = prompter_.ChooseOpenFile("Open", restorePath_, "*.cfg (*)");
    if (!path.empty()) {
        restorePath_ = path;
    }
    UpdateData(false);
}

void UtilsPage::RestoreFromFile() {
    // The path as the box shows it now, typed or chosen.
    UpdateData(true);
    const RestoreFile file = ReadRestoreFile(restorePath_);
    if (file.problem != RestoreFile::Problem::None) {
        Report(prompter_, file.problem, file.details);
        return;
    }
    ReportDeviceScript(prompter_, RestoreConfiguration(runner_, model_, file.request));
}

void UtilsPage::Reboot() {
    ReportDeviceScript(prompter_, RebootDevice(runner_));
}
