#include <gtest/gtest.h>

#include <QApplication>

#include "app/AppResources.h"

// Read by ThreadSanitizer at start. Qt is not built with it: painting hands
// image work to Qt's thread pool, which synchronises in ways the sanitizer
// cannot see. Reports with Qt's GUI library or its thread pool on a stack are
// silenced; the progress dialog's worker talks to widgets only through Core's
// queued calls, which stay checked.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libQt6Gui.so\n"
           "race:QThreadPoolPrivate\n"
           "race:QRunnable::create\n";
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
