#include "app/WidgetPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>

#include "app/ProductSelectDialog.h"

namespace {

// How often a trigger that cannot tell of changes is looked at.
constexpr int kPollMs = 500;

QMessageBox::Icon IconOf(MessageKind kind) {
    return kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::Warning;
}

void SetUpRetryBox(QMessageBox& box, const std::string& title, const std::string& text,
                   const std::string& details, MessageKind kind) {
    box.setIcon(IconOf(kind));
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(text));
    box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Retry);
    if (!details.empty())
        box.setDetailedText(QString::fromStdString(details));
}

}  // namespace

bool WidgetPrompter::AskRetry(const std::string& title, const std::string& text,
                              const std::string& details, MessageKind kind) {
    QMessageBox box;
    SetUpRetryBox(box, title, text, details, kind);
    return box.exec() == QMessageBox::Retry;
}

bool WidgetPrompter::AskRetryUntil(const std::string& title, const std::string& text,
                                   const std::string& details, AnswerTrigger& trigger) {
    QMessageBox box;
    SetUpRetryBox(box, title, text, details, MessageKind::Warning);
    const auto check = [&] {
        if (trigger.Happened())
            box.done(QMessageBox::Retry);
    };
    // Each change the trigger reports is checked once: a node that udev has
    // yet to open up for the user is checked again at that change of its own.
    QTimer poll;
    if (trigger.Descriptor() >= 0) {
        auto* notifier = new QSocketNotifier(trigger.Descriptor(), QSocketNotifier::Read, &box);
        QObject::connect(notifier, &QSocketNotifier::activated, &box, check);
    } else {
        QObject::connect(&poll, &QTimer::timeout, &box, check);
        poll.start(kPollMs);
    }
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
                          const std::string& details, MessageKind kind) {
    QMessageBox box(IconOf(kind), QString::fromStdString(title), QString::fromStdString(text),
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
    // A file that cannot be read is refused here, where another can still be
    // chosen, rather than by the transfer that would fail on it later.
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString chosen = dialog.selectedFiles().front();
        if (QFileInfo(chosen).isReadable())
            return chosen.toStdString();
        QMessageBox::warning(&dialog, dialog.windowTitle(),
                             QStringLiteral("%1\nYou do not have permission to read this file.\n"
                                            "Choose another file, or ask for read access.")
                                 .arg(chosen));
    }
    return {};
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
