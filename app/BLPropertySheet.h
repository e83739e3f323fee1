#pragma once

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <vector>

#include "model/ConfigApply.h"
#include "model/SettingReadBack.h"
#include "pages/PageHost.h"

class ConfigModel;
class PropertyPage;
class Prompter;
class QDialogButtonBox;
class QPushButton;
class QStatusBar;
class QTabWidget;
class ScriptRunner;

// The program's main window: the pages as tabs with OK, Cancel and Apply, and a
// status line. OK and Apply let the active page validate first, then every
// modified page checks and writes its edits, and each edited tree goes to the
// gateway once; OK closes only when every edit was sent and read back. Apply
// is enabled while any page is modified. Cancel, Window > Quit (Ctrl+Q) and
// the close button ask before changes not yet applied are lost; Escape and
// Enter belong to the fields. It is an ordinary top-level window (task bar,
// window switcher).
class BLPropertySheet : public QDialog, public PageHost {
    Q_OBJECT

public:
    BLPropertySheet(const QString& caption, ConfigModel& model, ScriptRunner& runner,
                    Prompter& prompter, QWidget* parent = nullptr);

    // Takes ownership of the page; pages appear as tabs in the order added.
    void AddPage(PropertyPage* page);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    PropertyPage* Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    PropertyPage* ActivePage() const override { return active_; }
    void ShowStatus(const QString& text) override;
    bool SetActivePage(int index);

    // The Apply button: false when a page refused.
    bool ApplyPages();

    // While the gateway's port is gone, Apply and the pages' buttons are off,
    // except those marked kLocalButton; when it is back, the buttons switched
    // off here are on again.
    void SetGatewayPresent(bool present);
    void accept() override;
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void BuildMenu();
    void AddPageKeys();
    void TurnPage(int step);
    void ChangePage(int index);
    void KeepButtonsLast();
    void FocusFirstField();
    // Turns the tabs without the sheet taking it for the user's choice.
    void ShowTab(PropertyPage* page);
    bool AnyPageModified() const;
    void UpdateApplyButton();
    bool WriteEdits(PropertyPage* page);
    // Sends the tree of `request` and reads it back; true when the gateway
    // reported its tree again.
    bool SendEdits(QEvent::Type request, const std::vector<SentSetting>& sent);
    ApplyResult RunApply(QEvent::Type request);
    void ReportNotKept(const std::vector<KeptSetting>& others);
    void ShowAbout();

    ConfigModel& model_;
    ScriptRunner& runner_;
    Prompter& prompter_;
    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    QStatusBar* status_;
    std::vector<PropertyPage*> pages_;
    PropertyPage* active_ = nullptr;
    bool gatewayPresent_ = true;
    std::vector<QPointer<QPushButton>> switchedOff_;
    QString sheetMnemonics_;
};
