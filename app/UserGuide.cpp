#include "app/UserGuide.h"

#include <QAction>
#include <QDesktopServices>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <string>
#include <utility>

#include "link/Prompter.h"

namespace {

constexpr char kTitle[] = "User Guide";

// The window's Help menu: the one its menu bar has, or a new one at its end.
QMenu* HelpMenu(QWidget& window) {
    auto* bar = window.findChild<QMenuBar*>();
    if (bar == nullptr) {
        auto* mainWindow = qobject_cast<QMainWindow*>(&window);
        if (mainWindow == nullptr)
            return nullptr;
        bar = mainWindow->menuBar();
    }
    for (QAction* action : bar->actions()) {
        if (action->menu() != nullptr && action->text().remove('&') == QStringLiteral("Help"))
            return action->menu();
    }
    return bar->addMenu(QStringLiteral("&Help"));
}

void Open(Prompter& prompter, const UserGuide::Opener& opener, const std::filesystem::path& index) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(index, error)) {
        prompter.Warn(kTitle,
                      "The user guide is not installed: " + index.string() +
                          " was not found. Reinstall the r7dashboard package, or read "
                          "\"man r7dashboard\".",
                      "");
        return;
    }
    if (!opener(QUrl::fromLocalFile(QString::fromStdString(index.string()))))
        prompter.Warn(kTitle,
                      "The user guide could not be shown: the desktop has no program set for web "
                      "pages. Open " +
                          index.string() + " in a web browser.",
                      "");
}

}  // namespace

void UserGuide::Install(QWidget& window, Prompter& prompter, Opener opener,
                        std::filesystem::path index) {
    auto* action = new QAction(QStringLiteral("&User Guide"), &window);
    action->setShortcut(QKeySequence::HelpContents);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, &window,
                     [&prompter, opener = std::move(opener), index = std::move(index)] {
                         Open(prompter, opener, index);
                     });
    // On the window itself too, so that F1 works whether or not a menu holds it.
    window.addAction(action);
    if (QMenu* help = HelpMenu(window)) {
        QAction* first = help->actions().isEmpty() ? nullptr : help->actions().first();
        help->insertAction(first, action);
    }
}

std::filesystem::path UserGuide::Location() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    const fs::path installed = program.parent_path() / R7_GUIDE_INSTALLED_DIR / "index.html";
    if (!error && fs::is_regular_file(installed, error))
        return installed.lexically_normal();
    return fs::path(R7_GUIDE_SOURCE_DIR) / "index.html";
}

bool UserGuide::OpenWithDesktop(const QUrl& address) {
    return QDesktopServices::openUrl(address);
}
