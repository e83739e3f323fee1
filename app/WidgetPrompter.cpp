#include "app/WidgetPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

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

bool WidgetPrompter::Confirm(const std::string& title, const std::string& text,
                             const std::string& action) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    QPushButton* confirm =
        box.addButton(QString::fromStdString(action), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == confirm;
}

void WidgetPrompter::Inform(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Information, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

void WidgetPrompter::Warn(const std::string& title, const std::string& text,
                          const std::string& details) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Ok);
    if (!details.empty())
        box.setDetailedText(QString::fromStdString(details));
    box.exec();
}

std::string WidgetPrompter::ChooseOpenFile(const std::string& title, const std::string& currentPath,
                                           const std::string& filter) {
    return QFileDialog::getOpenFileName(nullptr, QString::fromStdString(title),
                                        QString::fromStdString(currentPath),
                                        QString::fromStdString(filter))
        .toStdString();
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
