#include "transfer/UtilsPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/Clock.h"
#include "link/Prompter.h"
#include "model/ConfigModel.h"
#include "transfer/ConfigBackup.h"
#include "transfer/DeviceScripts.h"
#include "transfer/TimedScriptRunner.h"

namespace {

QPushButton* AddButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter in a field must never turn into a factory reset or a reboot.
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

// A script that went through: nothing refused, the gateway back and read.
bool WentThrough(const DeviceScriptResult& result) {
    return result.refused.empty() && result.unread.empty() && !result.rebootUnanswered &&
           result.back;
}

}  // namespace

UtilsPage::UtilsPage(ConfigModel& model, ScriptRunner& runner, Prompter& prompter, QWidget* parent)
    : PropertyPage(QStringLiteral("Utilities"), parent),
      model_(model),
      runner_(runner),
      prompter_(prompter),
      clock_(&Clock::System()) {
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
    restoreEdit_ = new QLineEdit(backup);
    auto* restoreLabel = new QLabel(QStringLiteral("Restore From File:"), backup);
    restoreLabel->setBuddy(restoreEdit_);
    backupLayout->addWidget(restoreLabel, 3, 0);
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

template <typename Script>
void UtilsPage::RunRestart(const QString& done, Script&& script) {
    TimedScriptRunner timed(runner_, *clock_);
    const DeviceScriptResult result = script(timed);
    ReportDeviceScript(prompter_, result);
    if (WentThrough(result))
        ShowStatus(
            QStringLiteral("%1; the R7 restarted in %2 s").arg(done).arg(timed.LastRunSeconds()));
}

void UtilsPage::RestoreFactoryDefaults() {
    // One click next to the backup's "Restore" would otherwise erase every
    // setting with no way back.
    if (!prompter_.Confirm("Factory default settings",
                           "Restore the factory default settings? All current settings will be "
                           "erased and the R7 will reboot.",
                           "Restore"))
        return;
    RunRestart(QStringLiteral("Factory default settings restored"),
               [this](ScriptRunner& runner) { return ::RestoreFactoryDefaults(runner, model_); });
}

void UtilsPage::Backup() {
    const std::string path = prompter_.ChooseSaveFile("Save As", "backup.cfg", "*.cfg (*.cfg)");
    if (path.empty()) {
        return;
    }
    const BackupResult result = WriteBackup(model_.SettingsDocument(), path);
    if (result.problem != BackupResult::Problem::None) {
        Report(prompter_, result.problem, result.details);
        return;
    }
    ShowStatus(QStringLiteral("Backup saved to ") + QString::fromStdString(path));
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
    if (!prompter_.Confirm(
            "Restore From File",
            "Replace every setting of the R7 with " + restorePath_ + " and restart it?", "Restore"))
        return;
    RunRestart(QStringLiteral("Settings restored from ") + QString::fromStdString(restorePath_),
               [this, &file](ScriptRunner& runner) {
                   return RestoreConfiguration(runner, model_, file.request);
               });
}

void UtilsPage::Reboot() {
    if (!prompter_.Confirm("Reboot", "Reboot the R7 now? It is out of reach while it restarts.",
                           "Reboot"))
        return;
    const DeviceScriptResult result = RebootDevice(runner_);
    ReportDeviceScript(prompter_, result);
    if (result.refused.empty() && !result.rebootUnanswered)
        ShowStatus(QStringLiteral("The R7 is restarting"));
}
