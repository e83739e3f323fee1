#include <gtest/gtest.h>

#include <QApplication>

#include "app/AppResources.h"

// Widgets need a QApplication for the whole run, created before any test.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    LoadAppResources();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
