#include "pages/PropertyPage.h"

#include <QLineEdit>

#include "pages/PageHost.h"

PropertyPage::PropertyPage(const QString& title, QWidget* parent)
    : QWidget(parent), title_(title) {}

void PropertyPage::Activate() {
    if (!displayed_) {
        displayed_ = true;
        OnInitDialog();
    }
    OnSetActive();
}

bool PropertyPage::Apply() {
    if (!OnApply())
        return false;
    SetModified(false);
    return true;
}

void PropertyPage::SetModified(bool modified) {
    if (modified_ == modified)
        return;
    modified_ = modified;
    emit ModifiedChanged(modified);
}

bool PropertyPage::IsActivePage() const {
    return sheet_ && sheet_->ActivePage() == this;
}

void PropertyPage::OnInitDialog() {
    UpdateData(false);
}

bool PropertyPage::OnKillActive() {
    return UpdateData(true);
}

bool PropertyPage::DoDataExchange(bool) {
    return true;
}

void PropertyPage::SendToSheet(QEvent::Type type) {
    if (!sheet_)
        return;
    sheet_->RunPageRequest(type);
}

void PropertyPage::ExchangeText(bool save, QLineEdit* edit, std::string& value) {
    if (save) {
        value = edit->text().toStdString();
        return;
    }
    edit->setText(QString::fromStdString(value));
    // Show the start of a value that is wider than its box.
    edit->setCursorPosition(0);
}
