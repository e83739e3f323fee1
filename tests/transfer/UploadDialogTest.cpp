#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "tests/support/SimGateway.h"
#include "transfer/UploadDialog.h"

TEST(UploadDialog, ShowsThePathRunsTheUploadAndCannotBeClosedByTheUser) {
    SimGateway gateway;
    ModemPort port(Clock::System());
    DiscoveryOptions options;
    options.explicitPort = gateway.LinkPath();
    ASSERT_TRUE(DiscoverPort(port, options, {}, nullptr));
    const std::string path = gateway.Directory() + "/blink.py";
    std::ofstream(path) << std::string(3000, 'p');

    UploadDialog dialog(port, Clock::System());
    dialog.SetUploadFile(path, false, false);
    EXPECT_EQ(dialog.windowTitle(), "Uploading...");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    auto* status = dialog.findChild<QLineEdit*>("status");
    EXPECT_EQ(status->text().toStdString(), path);
    EXPECT_TRUE(status->isReadOnly());
    bool stayedOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
        stayedOpen = dialog.isVisible();
    });

    EXPECT_EQ(dialog.RunModal(), UploadOutcome::Sent);

    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(dialog.isVisible());
    auto* bar = dialog.findChild<QProgressBar*>("progress");
    EXPECT_EQ(bar->maximum(), 7);
    EXPECT_EQ(bar->value(), 7) << "the bar ends full with its text";
    EXPECT_EQ(dialog.findChild<QLabel*>("bytes")->text(), "3000 of 3000 bytes sent (100%)");
    EXPECT_EQ(gateway.ReceivedCommands().back(), "AT&USBINTERFACE=18,3000\r\n");

    // A second showing for another attempt; a missing file closes at once.
    dialog.SetUploadFile(gateway.Directory() + "/missing.py", true, true);
    const std::size_t before = gateway.ReceivedBytes().size();
    EXPECT_EQ(dialog.RunModal(), UploadOutcome::NotSent);
    EXPECT_EQ(gateway.ReceivedBytes().size(), before);
}
