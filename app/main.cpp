#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/BLApp.h"
#include "app/StartOptions.h"
#include "app/WidgetPrompter.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Start-up shows message boxes before the sheet exists; closing the last of
    // them must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    StartOptions options;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), options, &error)) {
        std::fprintf(stderr, "r7dashboard: %s\n", error.c_str());
        return 2;
    }
    WidgetPrompter prompter;
    BLApp application(prompter);
    application.InitInstance(options);
    return 0;
}
