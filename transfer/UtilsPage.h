#pragma once

#include <string>

#include "pages/PropertyPage.h"

class ConfigModel;
class Prompter;
class QLineEdit;
class ScriptRunner;

// "Utilities": the whole-device operations. The factory reset asks first, as
// it erases every setting; restore and reboot run their scripts at once, the
// captions on the page carry their warnings. Backup writes the settings as
// read from the gateway into a file on the PC.
class UtilsPage : public PropertyPage {
    Q_OBJECT

public:
    UtilsPage(ConfigModel& model, ScriptRunner& runner, Prompter& prompter,
              QWidget* parent = nullptr);

    void RestoreFactoryDefaults();
    void Backup();
    void Browse();
    void RestoreFromFile();
    void Reboot();

protected:
    bool DoDataExchange(bool save) override;

private:
    void BuildLayout();

    ConfigModel& model_;
    ScriptRunner& runner_;
    Prompter& prompter_;
    std::string restorePath_;
    QLineEdit* restoreEdit_ = nullptr;
};
