#pragma once

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <vector>

#include "model/ConfigApply.h"
#include "pages/PageHost.h"

class ConfigModel;
class PropertyPage;
class Prompter;
class QDialogButtonBox;
class QPushButton;
class QTabWidget;
class ScriptRunner;

// The program's main window: the pages as tabs with OK, Cancel and Apply. OK and
// Apply let the active page validate first, then apply every page that has been
// displayed; OK then closes. Apply is enabled while any page is modified.
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
    void RunPageRequest(QEvent::Type type) override;
    bool SetActivePage(int index);

    // The Apply button: false when a page refused.
    bool ApplyPages();

    // While the gateway's port is gone, Apply and the pages' buttons are off,
    // except those marked kLocalButton; when it is back, the buttons switched
    // off here are on again.
    void SetGatewayPresent(bool present);
    void accept() override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildMenu();
    void ChangePage(int index);
    // Turns the tabs without the sheet taking it for the user's choice.
    void ShowTab(PropertyPage* page);
    void UpdateApplyButton();
    void RunApply(ApplyResult (*pipeline)(ScriptRunner&, ConfigModel&));
    void ShowAbout();

    ConfigModel& model_;
    ScriptRunner& runner_;
    Prompter& prompter_;
    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    std::vector<PropertyPage*> pages_;
    PropertyPage* active_ = nullptr;
    bool gatewayPresent_ = true;
    std::vector<QPointer<QPushButton>> switchedOff_;
};
