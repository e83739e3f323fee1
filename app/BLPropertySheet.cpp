#include "app/BLPropertySheet.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "app/AboutBox.h"
#include "app/ProgramTitle.h"
#include "link/Prompter.h"
#include "model/UnreadReport.h"
#include "pages/KeyboardAccess.h"
#include "pages/PropertyPage.h"

BLPropertySheet::BLPropertySheet(const QString& caption, ConfigModel& model, ScriptRunner& runner,
                                 Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      model_(model),
      runner_(runner),
      prompter_(prompter),
      tabs_(new QTabWidget(this)),
      buttons_(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this)),
      status_(new QStatusBar(this)) {
    setWindowTitle(caption);
    // A dialog-type window is left out of some task bars and switchers; the
    // sheet is the program's main window.
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);

    // No button is the default one: Enter in a field never applies or closes.
    for (QAbstractButton* button : buttons_->buttons())
        static_cast<QPushButton*>(button)->setAutoDefault(false);
    buttons_->button(QDialogButtonBox::Apply)->setEnabled(false);
    connect(buttons_, &QDialogButtonBox::accepted, this, &BLPropertySheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &BLPropertySheet::reject);
    connect(buttons_->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &BLPropertySheet::ApplyPages);
    connect(tabs_, &QTabWidget::currentChanged, this, &BLPropertySheet::ChangePage);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    layout->addWidget(status_);
    BuildMenu();
    AddPageKeys();
    // Pages share the window's keys with the menus and buttons, not with each
    // other: only the shown page's mnemonics are live.
    sheetMnemonics_ = TakenMnemonics(this);
}

void BLPropertySheet::BuildMenu() {
    auto* menuBar = new QMenuBar(this);
    QMenu* window = menuBar->addMenu(QStringLiteral("&Window"));
    window->addAction(QStringLiteral("Minimize"), this, &QWidget::showMinimized);
    window->addSeparator();
    QAction* quit = window->addAction(QStringLiteral("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* help = menuBar->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About..."), this, &BLPropertySheet::ShowAbout);
    layout()->setMenuBar(menuBar);
}

// The tabs turn from anywhere in the window, a drop-down list included, which
// would otherwise take Ctrl+PageDown for itself.
void BLPropertySheet::AddPageKeys() {
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
    };
    for (const auto& [key, step] : keys)
        connect(new QShortcut(key, this), &QShortcut::activated, this,
                [this, step = step] { TurnPage(step); });
}

void BLPropertySheet::TurnPage(int step) {
    const int count = tabs_->count();
    if (count > 0)
        tabs_->setCurrentIndex((tabs_->currentIndex() + step + count) % count);
}

void BLPropertySheet::AddPage(PropertyPage* page) {
    pages_.push_back(page);
    page->AttachSheet(this);
    AssignMnemonics(page, sheetMnemonics_);
    connect(page, &PropertyPage::ModifiedChanged, this, &BLPropertySheet::UpdateApplyButton);
    tabs_->addTab(page, page->Title());
    KeepButtonsLast();
}

// A page joins the tab order at its end, after the buttons; on screen the
// buttons come after the pages.
void BLPropertySheet::KeepButtonsLast() {
    QWidget* previous = previousInFocusChain();
    for (const auto which :
         {QDialogButtonBox::Ok, QDialogButtonBox::Cancel, QDialogButtonBox::Apply}) {
        QPushButton* button = buttons_->button(which);
        if (button == previous)
            continue;
        setTabOrder(previous, button);
        previous = button;
    }
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
    FocusFirstField();
}

// For the toolkit the tabs and the pages form one compound widget, which Tab
// leaves at once; on a property sheet Tab goes from the tabs into the page.
bool BLPropertySheet::focusNextPrevChild(bool next) {
    if (next && active_ && tabs_->tabBar()->hasFocus()) {
        if (QWidget* first = FirstTabStop(active_)) {
            first->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QDialog::focusNextPrevChild(next);
}

// The user starts on the first field there is to change, never on a value
// only shown. Someone turning the tabs from the tab bar stays there.
void BLPropertySheet::FocusFirstField() {
    // The window's focus widget, not the application's: a page that read from
    // the gateway on activation has just closed its progress dialog.
    if (focusWidget() == tabs_->tabBar())
        return;
    if (QWidget* field = FirstEditableField(active_))
        field->setFocus(Qt::TabFocusReason);
    else
        tabs_->tabBar()->setFocus(Qt::TabFocusReason);
}

void BLPropertySheet::ShowTab(PropertyPage* page) {
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentWidget(page);
}

bool BLPropertySheet::ApplyPages() {
    if (active_ && !active_->Deactivate())
        return false;
    std::vector<PropertyPage*> edited;
    for (PropertyPage* page : pages_) {
        if (!page->IsModified())
            continue;
        if (!WriteEdits(page))
            return false;
        edited.push_back(page);
    }
    // Each edited tree goes out once, holding the edits of every page on it.
    std::map<QEvent::Type, bool> confirmed;
    bool allConfirmed = true;
    for (PropertyPage* page : edited) {
        const QEvent::Type request = page->ApplyRequest();
        if (request != QEvent::None && !confirmed.contains(request)) {
            std::vector<SentSetting> sent;
            for (const PropertyPage* other : edited)
                if (other->ApplyRequest() == request)
                    sent.insert(sent.end(), other->SentSettings().begin(),
                                other->SentSettings().end());
            confirmed[request] = SendEdits(request, sent);
        }
        // Edits the gateway did not confirm stay, and so does the question
        // before they are discarded.
        if (request == QEvent::None || confirmed[request])
            page->Applied();
        else
            allConfirmed = false;
    }
    if (allConfirmed && !confirmed.empty())
        ShowStatus(QStringLiteral("Settings applied"));
    return allConfirmed;
}

// A page other than the active one is in view while it checks its values, and
// stays there, as the active page, when it refuses.
bool BLPropertySheet::WriteEdits(PropertyPage* page) {
    if (page == active_ || active_ == nullptr)
        return page->Apply();
    ShowTab(page);
    if (page->Apply()) {
        ShowTab(active_);
        return true;
    }
    active_ = page;
    active_->Activate();
    return false;
}

void BLPropertySheet::accept() {
    if (ApplyPages())
        QDialog::accept();
}

// Cancel, Window > Quit and the close button all end here.
void BLPropertySheet::reject() {
    if (AnyPageModified() &&
        !prompter_.Confirm(kProgramTitle, "Discard the changes not yet applied?", "Discard"))
        return;
    QDialog::reject();
}

// A main window: Escape and Enter belong to the fields, never end the program.
void BLPropertySheet::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->ignore();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void BLPropertySheet::ShowStatus(const QString& text) {
    status_->showMessage(text);
}

bool BLPropertySheet::AnyPageModified() const {
    return std::any_of(pages_.begin(), pages_.end(),
                       [](const PropertyPage* page) { return page->IsModified(); });
}

void BLPropertySheet::UpdateApplyButton() {
    buttons_->button(QDialogButtonBox::Apply)->setEnabled(AnyPageModified() && gatewayPresent_);
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

bool BLPropertySheet::event(QEvent* event) {
    if (event->type() == WM_APPLY_CONFIGURATION || event->type() == WM_APPLY_RADIO_CONFIGURATION) {
        RunApply(event->type());
        return true;
    }
    return QDialog::event(event);
}

bool BLPropertySheet::SendEdits(QEvent::Type request, const std::vector<SentSetting>& sent) {
    if (!RunApply(request).reloaded)
        return false;
    // The radio writes its values back in its own notation (0xAB as
    // 0x00000000000000ab): only the settings are compared.
    if (request == WM_APPLY_CONFIGURATION)
        ReportNotKept(FindSettingsNotKept(model_.SettingsGroups(), sent));
    return true;
}

ApplyResult BLPropertySheet::RunApply(QEvent::Type request) {
    // Without a document read from the gateway there is nothing to send back;
    // sending nothing silently would look like a successful apply.
    const ApplyResult result = request == WM_APPLY_RADIO_CONFIGURATION
                                   ? ApplyRadioConfiguration(runner_, model_)
                                   : ApplyConfiguration(runner_, model_);
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
    return result;
}

// What the gateway reports after the apply is what the page shows; a value it
// replaced would otherwise go back to the old one without a word.
void BLPropertySheet::ReportNotKept(const std::vector<KeptSetting>& others) {
    if (others.empty())
        return;
    std::string text = "The device did not keep every value sent. It now holds:";
    for (const KeptSetting& other : others)
        text += "\n" + other.path + " = \"" + other.kept + "\" (sent: \"" + other.sent + "\")";
    prompter_.Warn(kProgramTitle, text, {});
}

void BLPropertySheet::ShowAbout() {
    AboutBox box(this);
    box.exec();
}
