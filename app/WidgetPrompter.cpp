#include "app/WidgetPrompter.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>

#include "app/ProductSelectDialog.h"

namespace {

// A check that found nothing is made once more after this: a new node may
// not be openable until udev has set its permissions.
constexpr int kRecheckMs = 500;

void SetUpRetryBox(QMessageBox& box, const std::string& title, const std::string& text,
                   const std::string& details) {
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(text));
    box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Retry);
    if (!details.empty())
        box.setDetailedText(QString::fromStdString(details));
}

}  // namespace

bool WidgetPrompter::AskRetry(const std::string& title, const std::string& text,
                              const std::string& details) {
    QMessageBox box;
    SetUpRetryBox(box, title, text, details);
    return box.exec() == QMessageBox::Retry;
}

bool WidgetPrompter::AskRetryUntil(const std::string& title, const std::string& text,
                                   const std::string& details, AnswerTrigger& trigger) {
    QMessageBox box;
    SetUpRetryBox(box, title, text, details);
    QTimer recheck;
    recheck.setSingleShot(trigger.Descriptor() >= 0);
    const auto check = [&] {
        if (trigger.Happened())
            box.done(QMessageBox::Retry);
        else if (!recheck.isActive())
            recheck.start(kRecheckMs);
    };
    QObject::connect(&recheck, &QTimer::timeout, &box, check);
    if (trigger.Descriptor() >= 0) {
        auto* notifier = new QSocketNotifier(trigger.Descriptor(), QSocketNotifier::Read, &box);
        QObject::connect(notifier, &QSocketNotifier::activated, &box, check);
    } else {
        recheck.start(kRecheckMs);
    }
    return box.exec() == QMessageBox::Retry;
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
