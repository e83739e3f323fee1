#pragma once

#include <string>

#include "pages/PropertyPage.h"

class Clock;
class ConfigModel;
class Prompter;
class QLineEdit;
class ScriptRunner;

// "Utilities": the whole-device operations. The factory reset, the restore
// and the reboot ask first, as none can be undone; the status line tells how
// each ended when no message did. Backup writes the settings as read from the
// gateway into a file on the PC.
class UtilsPage : public PropertyPage {
    Q_OBJECT

public:
    UtilsPage(ConfigModel& model, ScriptRunner& runner, Prompter& prompter,
              QWidget* parent = nullptr);

    // How long the restarts take is measured on this clock.
    void SetClock(Clock& clock) { clock_ = &clock; }

    void RestoreFactoryDefaults();
    void Backup();
    void Browse();
    void RestoreFromFile();
    void Reboot();

protected:
    bool DoDataExchange(bool save) override;

private:
    void BuildLayout();
    // Runs a script that restarts the gateway; on success the status line
    // says `done` and how long the restart took.
    template <typename Script>
    void RunRestart(const QString& done, Script&& script);

    ConfigModel& model_;
    ScriptRunner& runner_;
    Prompter& prompter_;
    Clock* clock_;
    std::string restorePath_;
    QLineEdit* restoreEdit_ = nullptr;
};
