#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/BLApp.h"
#include "app/QuitSignals.h"
#include "app/StartOptions.h"
#include "app/WidgetPrompter.h"

int main(int argc, char* argv[]) {
    // Read before the toolkit starts, so that --help and --version work
    // without a display. Toolkit options such as -platform are left to the
    // toolkit.
    StartOptions options;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), options, &error)) {
        std::fprintf(stderr, "r7dashboard: %s\n%s", error.c_str(), UsageText());
        return 2;
    }
    if (options.showHelp || options.showVersion) {
        if (options.showHelp)
            std::fputs(UsageText(), stdout);
        else
            std::printf("r7dashboard %s\n", R7_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    // Ties the windows to the installed desktop entry (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("r7dashboard"));
    // Start-up shows message boxes before the sheet exists; closing the last of
    // them must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    WidgetPrompter prompter;
    BLApp application(prompter);
    // A wait for the port to come back would hold up the quit for minutes.
    const QuitSignals quitSignals([&application] { application.Port().CancelWait(); });
    application.InitInstance(options);
    return quitSignals.ExitStatus();
}
