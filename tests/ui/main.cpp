#include <gtest/gtest.h>

#include <QApplication>

#include "app/AppResources.h"

// Read by ThreadSanitizer at start. Qt is not built with it, so the work its
// own pool threads do for painting (image conversion) shows up as races inside
// Qt, and their memory handed between them through GLib's allocator as races
// inside GLib. Only reports that involve a thread Qt started are silenced: the progress
// dialog's worker is a plain thread and hands over to the user interface
// through a mutex, so its races stay checked.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libglib-2.0.so.0\n";
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
