#include "pages/PropertyPage.h"

#include <QCheckBox>
#include <QComboBox>
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
    sent_.clear();
    return OnApply();
}

void PropertyPage::Applied() {
    OnApplied();
    TakeReportedValues();
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

void PropertyPage::ShowStatus(const QString& text) {
    statusText_ = text;
    if (sheet_)
        sheet_->ShowStatus(text);
}

void PropertyPage::WatchEdits(QLineEdit* edit) {
    watched_.push_back(edit);
    connect(edit, &QLineEdit::textEdited, this, &PropertyPage::NoteEdit);
}

void PropertyPage::WatchEdits(QCheckBox* box) {
    watched_.push_back(box);
    connect(box, &QCheckBox::clicked, this, &PropertyPage::NoteEdit);
}

void PropertyPage::WatchEdits(QComboBox* list) {
    watched_.push_back(list);
    connect(list, &QComboBox::activated, this, &PropertyPage::NoteEdit);
}

void PropertyPage::TakeReportedValues() {
    reported_ = WatchedValues();
    SetModified(false);
}

// A box ticked twice, or a text typed back as it was, is no change.
void PropertyPage::NoteEdit() {
    SetModified(WatchedValues() != reported_);
}

QStringList PropertyPage::WatchedValues() const {
    QStringList values;
    for (const QWidget* control : watched_) {
        if (const auto* edit = qobject_cast<const QLineEdit*>(control))
            values << edit->text();
        else if (const auto* box = qobject_cast<const QCheckBox*>(control))
            values << (box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        else if (const auto* list = qobject_cast<const QComboBox*>(control))
            values << list->currentText();
    }
    return values;
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
