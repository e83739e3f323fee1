#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "app/ProductSelectDialog.h"

namespace {

// Runs the dialog modally and lets `act` work on it from inside its loop.
std::string RunDialog(const std::vector<std::string>& candidates,
                      const std::function<void(ProductSelectDialog&)>& act) {
    ProductSelectDialog dialog(candidates);
    QTimer::singleShot(0, &dialog, [&] { act(dialog); });
    dialog.exec();
    return dialog.Selection();
}

QComboBox* Combo(ProductSelectDialog& dialog) {
    return dialog.findChild<QComboBox*>(QStringLiteral("product"));
}

}  // namespace

TEST(ProductSelectDialog, ShowsNamesSortedWithoutCaseAndPreselectsTheFirst) {
    std::vector<QString> shown;
    const std::string chosen = RunDialog({"COM3", "com2", "COM10"}, [&](ProductSelectDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Select Product to configure");
        for (int i = 0; i < Combo(d)->count(); ++i)
            shown.push_back(Combo(d)->itemText(i));
        EXPECT_EQ(Combo(d)->currentText(), "COM10");
        QTest::keyClick(&d, Qt::Key_Return);
    });
    EXPECT_EQ(shown, (std::vector<QString>{"COM10", "com2", "COM3"}));
    EXPECT_EQ(chosen, "COM10");
}

TEST(ProductSelectDialog, ReturnsTypedNameWithoutAddingIt) {
    int count = 0;
    const std::string chosen =
        RunDialog({"/dev/ttyACM0", "/dev/ttyACM1"}, [&](ProductSelectDialog& d) {
            QLineEdit* edit = Combo(d)->lineEdit();
            edit->clear();
            QTest::keyClicks(edit, "/dev/ttyUSB7");
            QTest::keyClick(edit, Qt::Key_Return);
            count = Combo(d)->count();
            if (d.isVisible())
                d.accept();
        });
    EXPECT_EQ(chosen, "/dev/ttyUSB7");
    EXPECT_EQ(count, 2);
}

TEST(ProductSelectDialog, EscapeOrCloseGiveEmptySelection) {
    EXPECT_EQ(RunDialog({"COM3", "COM10"},
                        [](ProductSelectDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }),
              "");
    EXPECT_EQ(RunDialog({"COM3", "COM10"}, [](ProductSelectDialog& d) { d.close(); }), "");
}
