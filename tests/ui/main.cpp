#include <gtest/gtest.h>

#include <QApplication>

#include "app/AppResources.h"

// Read by ThreadSanitizer at start. Qt is not built with it: its event queue
// and thread pool synchronise with futexes the sanitizer cannot see, so every
// queued call from the progress dialog's worker (and Qt's own image threads)
// would be reported. Reports with Qt Core or Gui on a stack are silenced; races
// between the worker and the jobs or the port stay checked.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libQt6Core.so\n"
           "race:libQt6Gui.so\n";
}

// Widgets need a QApplication for the whole run, created before any test. The
// test list is also read without a display, before CTest sets the platform.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    LoadAppResources();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
