#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/SettingBinding.h"
#include "pages/PageHost.h"
#include "pages/PropertyPage.h"

class ChoiceList;
class ConfigModel;
class GroupFrame;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;

// An editing page over the settings tree that shows only what the gateway
// reported: every control starts hidden, reading the binding table reveals the
// controls whose settings exist, and the labels and frames that belong to a
// control follow it. Apply writes the table into the tree for the sheet to
// send, then the page shows what the gateway reports back.
class SettingsPage : public PropertyPage {
    Q_OBJECT

protected:
    SettingsPage(const QString& title, ConfigModel& model, QWidget* parent);

    // Binding rows, in table order. Each registers its control, which the row
    // reveals, and whose edits mark the page modified. The result is valid
    // until the next row is added (to set converters).
    SettingBinding& BindText(std::string path, std::string& value, QLineEdit* edit);
    SettingBinding& BindChoice(std::string path, std::string& value, const std::string& choices,
                               ChoiceList* list);
    SettingBinding& BindSwitch(std::string path, int& value, QCheckBox* box);
    // An integer setting whose control is the check box that switches it.
    SettingBinding& BindNumber(std::string path, int& value, QCheckBox* box);

    // A widget shown exactly when `owner` has been revealed.
    void ShowWith(QWidget* widget, const QWidget* owner);
    // A label that names `owner` (its buddy, for mnemonics and screen readers)
    // and is shown with it.
    QLabel* AddLabel(const QString& text, QWidget* parent, QWidget* owner);
    // A frame whose border and title are shown exactly when `owner` has been
    // revealed; `grid` receives the layout for its contents.
    GroupFrame* AddFrame(const QString& title, QGridLayout*& grid);
    void ShowFrameWith(GroupFrame* frame, const QWidget* owner);

    // Hooks for values that depend on the read (before: forget what the last
    // read left; after: values derived from the bound ones, `reloaded` when
    // the tree is not the one this page read last time).
    virtual void BeforeRead() {}
    virtual void AfterRead(bool reloaded) { (void)reloaded; }

    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnApply() override;
    void OnApplied() override;

public:
    QEvent::Type ApplyRequest() const override { return WM_APPLY_CONFIGURATION; }

protected:
    static void ExchangeCheck(bool save, QCheckBox* box, int& value);
    static void ExchangeChoice(bool save, ChoiceList* list, std::string& value);

private:
    int AddControl(QWidget* control);
    int AddControl(QCheckBox* box);
    SettingBinding& AddRow(std::string path, unsigned kind, int control);
    void FillChoiceLists();
    void HideAll();
    void ReadSettings();
    void ShowFollowers();

    ConfigModel& model_;
    BindingTable table_;
    std::vector<QWidget*> controls_;  // index = control id - 1
    std::vector<std::pair<QWidget*, const QWidget*>> followers_;
    std::vector<std::pair<GroupFrame*, const QWidget*>> frames_;
    std::optional<unsigned> readRevision_;
};
