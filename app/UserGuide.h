#pragma once

#include <QUrl>
#include <filesystem>
#include <functional>

class Prompter;
class QWidget;

// The user guide installed with the program (HTML, with a picture of each tab),
// opened in the desktop's browser by F1 and "Help > User Guide".
class UserGuide {
public:
    // Hands the guide's address to whatever shows it; false when nothing could.
    using Opener = std::function<bool(const QUrl&)>;

    // Gives WINDOW the action: in its menu bar's Help menu (made when it has none)
    // and on F1 anywhere in the window. A guide that is missing or cannot be shown
    // is reported through the prompter.
    static void Install(QWidget& window, Prompter& prompter, Opener opener = OpenWithDesktop,
                        std::filesystem::path index = Location());

    // The guide's first page: beside an installed program under share/doc, else
    // in the sources the program was built from.
    static std::filesystem::path Location();

    static bool OpenWithDesktop(const QUrl& address);
};
