#include "app/WidgetPrompter.h"

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

std::string WidgetPrompter::ChooseProduct(const std::vector<std::string>& candidates) {
    ProductSelectDialog dialog(candidates);
    dialog.exec();
    return dialog.Selection();
}
