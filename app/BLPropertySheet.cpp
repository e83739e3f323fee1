#include "app/BLPropertySheet.h"

#include <QDialogButtonBox>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AboutBox.h"
#include "app/ProgramTitle.h"
#include "link/Prompter.h"
#include "model/UnreadReport.h"
#include "pages/PropertyPage.h"

BLPropertySheet::BLPropertySheet(const QString& caption, ConfigModel& model, ScriptRunner& runner,
                                 Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      model_(model),
      runner_(runner),
      prompter_(prompter),
      tabs_(new QTabWidget(this)),
      buttons_(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this)) {
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);

    buttons_->button(QDialogButtonBox::Apply)->setEnabled(false);
    connect(buttons_, &QDialogButtonBox::accepted, this, &BLPropertySheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &BLPropertySheet::reject);
    connect(buttons_->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &BLPropertySheet::ApplyPages);
    connect(tabs_, &QTabWidget::currentChanged, this, &BLPropertySheet::ChangePage);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    BuildMenu();
}

void BLPropertySheet::BuildMenu() {
    auto* menuBar = new QMenuBar(this);
    QMenu* window = menuBar->addMenu(QStringLiteral("&Window"));
    window->addAction(QStringLiteral("Minimize"), this, &QWidget::showMinimized);
    window->addSeparator();
    window->addAction(QStringLiteral("&About..."), this, &BLPropertySheet::ShowAbout);
    layout()->setMenuBar(menuBar);
}

void BLPropertySheet::AddPage(PropertyPage* page) {
    pages_.push_back(page);
    page->AttachSheet(this);
    connect(page, &PropertyPage::ModifiedChanged, this, &BLPropertySheet::UpdateApplyButton);
    tabs_->addTab(page, page->Title());
}

bool BLPropertySheet::SetActivePage(int index) {
    tabs_->setCurrentIndex(index);
    return tabs_->currentIndex() == index;
}

void BLPropertySheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The first page comes alive when the sheet first appears, as it would if
    // the user had just selected it.
    if (!active_ && !pages_.empty())
        ChangePage(tabs_->currentIndex());
}

void BLPropertySheet::ChangePage(int index) {
    // Tabs are added before the sheet is shown; pages are activated only once
    // the user can see them.
    if (!isVisible() || index < 0)
        return;
    auto* next = static_cast<PropertyPage*>(tabs_->widget(index));
    if (next == active_)
        return;
    if (active_) {
        // The tab widget has already turned to the new tab. Turn back before
        // anything is drawn, so the page being left stays in view (with its
        // focus on the faulty field) while it decides and shows its refusal.
        ShowTab(active_);
        if (!active_->Deactivate())
            return;
        ShowTab(next);
    }
    active_ = next;
    active_->Activate();
}

void BLPropertySheet::ShowTab(PropertyPage* page) {
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentWidget(page);
}

bool BLPropertySheet::ApplyPages() {
    if (active_ && !active_->Deactivate())
        return false;
    for (PropertyPage* page : pages_) {
        if (page->WasDisplayed() && !page->Apply())
            return false;
    }
    return true;
}

void BLPropertySheet::accept() {
    if (ApplyPages())
        QDialog::accept();
}

void BLPropertySheet::UpdateApplyButton() {
    const bool modified = std::any_of(pages_.begin(), pages_.end(),
                                      [](const PropertyPage* page) { return page->IsModified(); });
    buttons_->button(QDialogButtonBox::Apply)->setEnabled(modified && gatewayPresent_);
}

void BLPropertySheet::SetGatewayPresent(bool present) {
    gatewayPresent_ = present;
    UpdateApplyButton();
    if (present) {
        for (const QPointer<QPushButton>& button : switchedOff_)
            if (button != nullptr)
                button->setEnabled(true);
        switchedOff_.clear();
        return;
    }
    for (PropertyPage* page : pages_)
        for (QPushButton* button : page->findChildren<QPushButton*>())
            if (button->isEnabled() && !button->property(kLocalButton).toBool()) {
                button->setEnabled(false);
                switchedOff_.emplace_back(button);
            }
}

void BLPropertySheet::RunPageRequest(QEvent::Type type) {
    if (type == WM_APPLY_CONFIGURATION)
        RunApply(&ApplyConfiguration);
    else if (type == WM_APPLY_RADIO_CONFIGURATION)
        RunApply(&ApplyRadioConfiguration);
}

bool BLPropertySheet::event(QEvent* event) {
    if (event->type() == WM_APPLY_CONFIGURATION || event->type() == WM_APPLY_RADIO_CONFIGURATION) {
        RunPageRequest(event->type());
        return true;
    }
    return QDialog::event(event);
}

void BLPropertySheet::RunApply(ApplyResult (*pipeline)(ScriptRunner&, ConfigModel&)) {
    // Without a document read from the gateway there is nothing to send back;
    // sending nothing silently would look like a successful apply.
    const ApplyResult result = pipeline(runner_, model_);
    ReportUnreadReplies(prompter_, result.unread);
    if (result.tooLarge)
        prompter_.Warn(kProgramTitle,
                       "The values entered are too long: the device's answer to them would not "
                       "fit what the program can read back, so nothing was sent. Shorten the "
                       "longest value and apply again.",
                       {});
    else if (!result.sent)
        prompter_.Inform(kProgramTitle,
                         "No configuration has been read from the device, so there is nothing "
                         "to apply. Press Refresh on the Device Information page and try again.");
    // The edited values stay on the page; without a word they would look applied.
    else if (!result.reloaded && result.unread.empty())
        prompter_.Warn(kProgramTitle,
                       "The device did not send its configuration back after the apply, so the "
                       "values shown are the ones entered, not confirmed by the device.",
                       {});
}

void BLPropertySheet::ShowAbout() {
    AboutBox box(this);
    box.exec();
}
