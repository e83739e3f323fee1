#pragma once

#include <string>
#include <vector>

#include "model/SettingBinding.h"
#include "pages/PageHost.h"
#include "pages/PropertyPage.h"
#include "transfer/PythonFiles.h"

class ConfigModel;
class Prompter;
class QCheckBox;
class QLineEdit;
class QListWidget;
class ScriptRunner;
class UploadRunner;

// "Python": the programs stored in the gateway's /WEB/python (list, download,
// delete, upload with a digest check) and the program the gateway runs at
// boot. The gateway scripts live in PythonFiles; the page holds the widgets,
// its binding table and what the user checked and typed.
class PythonPage : public PropertyPage {
    Q_OBJECT

public:
    PythonPage(ConfigModel& model, ScriptRunner& runner, UploadRunner& uploader, Prompter& prompter,
               QWidget* parent = nullptr);

    // The files whose lines are checked, top to bottom, with their full names.
    std::vector<GatewayFile> CheckedFiles() const;
    QEvent::Type ApplyRequest() const override { return WM_APPLY_CONFIGURATION; }

    // The button handlers.
    void Browse();
    void Upload();
    void Download();
    void Delete();

protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnApply() override;
    void OnApplied() override;
    bool DoDataExchange(bool save) override;

private:
    enum Control { kEnableControl = 1, kCommandControl };

    void BuildLayout();
    void ReadTable();
    void ShowFiles(const std::vector<GatewayFile>& files);

    ConfigModel& model_;
    ScriptRunner& runner_;
    UploadRunner& uploader_;
    Prompter& prompter_;
    BindingTable table_;

    std::string uploadFile_;
    int autoStart_ = 0;
    std::string commandLine_;

    QListWidget* files_ = nullptr;
    QCheckBox* enable_ = nullptr;
    QLineEdit* command_ = nullptr;
    QLineEdit* uploadEdit_ = nullptr;
};
