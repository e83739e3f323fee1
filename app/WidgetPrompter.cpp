#include "app/WidgetPrompter.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/ProductSelectDialog.h"

bool WidgetPrompter::AskRetry(const std::string& title, const std::string& text,
                              const std::string& details) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Retry | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Retry);
    if (!details.empty())
        box.setDetailedText(QString::fromStdString(details));
    return box.exec() == QMessageBox::Retry;
}

void WidgetPrompter::Inform(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Information, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

void WidgetPrompter::Warn(const std::string& title, const std::string& text,
                          const std::string& details, MessageKind kind) {
    const QMessageBox::Icon icon =
        kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::Warning;
    QMessageBox box(icon, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok);
    if (!details.empty())
        box.setDetailedText(QString::fromStdString(details));
    box.exec();
}

// The pages name their file kind first in the filter ("*.ebl (*)"): a name
// typed without extension is taken to be of that kind.
static QString DefaultSuffixOf(const std::string& filter) {
    if (!filter.starts_with("*."))
        return {};
    return QString::fromStdString(filter.substr(2, filter.find(' ') - 2));
}

std::string WidgetPrompter::ChooseOpenFile(const std::string& title, const std::string& currentPath,
                                           const std::string& filter) {
    QFileDialog dialog(nullptr, QString::fromStdString(title), QString(),
                       QString::fromStdString(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(DefaultSuffixOf(filter));
    dialog.selectFile(QString::fromStdString(currentPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front().toStdString();
}

std::string WidgetPrompter::ChooseSaveFile(const std::string& title,
                                           const std::string& proposedPath,
                                           const std::string& filter) {
    const QString proposed = QString::fromStdString(proposedPath);
    QFileDialog dialog(nullptr, QString::fromStdString(title), QString(),
                       QString::fromStdString(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QFileInfo(proposed).suffix());
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front().toStdString();
}

std::string WidgetPrompter::ChooseProduct(const std::vector<std::string>& candidates) {
    ProductSelectDialog dialog(candidates);
    dialog.exec();
    return dialog.Selection();
}
