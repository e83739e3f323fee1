#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <functional>
#include <memory>

#include "app/BLApp.h"
#include "app/BLPropertySheet.h"
#include "app/StartOptions.h"
#include "link/LinkMessages.h"
#include "pages/PropertyPage.h"
#include "tests/link/TempDir.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/ui/FakePrompter.h"

namespace {

// Shows the sheet's page with this title; its first showing runs its script.
PropertyPage* Show(BLPropertySheet& sheet, const QString& title) {
    for (int i = 0; i < sheet.PageCount(); ++i) {
        if (sheet.Page(i)->Title() == title) {
            sheet.SetActivePage(i);
            return sheet.Page(i);
        }
    }
    ADD_FAILURE() << "no page " << title.toStdString();
    return nullptr;
}

// A warning as Warnings() lists it: its title, a colon and its text.
std::string Undetected(const std::string& text) {
    std::string warning = kUndetectedTitle;
    warning.append(": ").append(text);
    return warning;
}

void Click(QWidget* parent, const QString& text) {
    for (QPushButton* button : parent->findChildren<QPushButton*>()) {
        if (button->text() == text || button->objectName() == text) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
}

// The dashboard against a gateway that goes away for good after start-up. The
// link's six-minute wait for the port passes in a moment.
struct GoneAfterStartUpTest : testing::Test {
    void Run(const std::vector<std::string>& simArgs,
             const std::function<void(BLPropertySheet&)>& drive) {
        gateway = std::make_unique<SimGateway>(simArgs);
        link = gateway->LinkPath();
        AwayClock clock(link, 20, 5000);
        BLApp app{prompter, clock};
        app.SetSheetRunner([&](BLPropertySheet& sheet) {
            sheet.show();
            drive(sheet);
        });
        StartOptions options;
        options.discovery.explicitPort = link;
        EXPECT_EQ(app.InitInstance(options), BLApp::Outcome::SheetClosed);
    }

    std::vector<std::string> Warnings() const {
        std::vector<std::string> texts;
        for (const FakePrompter::Question& warning : prompter.warnings)
            texts.push_back(warning.title + ": " + warning.text);
        return texts;
    }

    FakePrompter prompter;
    std::unique_ptr<SimGateway> gateway;
    std::string link;
};

constexpr char kNotBack[] =
    "Error: The device did not come back after the firmware upgrade, so the firmware version "
    "shown is the one from before the upgrade.";

}  // namespace

// The program list is lost with the port: the user hears that the gateway did
// not answer, and again at a Refresh, once.
TEST_F(GoneAfterStartUpTest, EveryScriptThatLostTheGatewaySaysSo) {
    std::vector<std::string> afterList;
    Run({"--vanish-on", "<ls", "--vanish-for-good"}, [&](BLPropertySheet& sheet) {
        Show(sheet, "Python");
        afterList = Warnings();
        Click(Show(sheet, "Device Information"), "refresh");
    });

    const std::string lost = Undetected(LostPortText(link));
    EXPECT_EQ(afterList, std::vector<std::string>{lost});
    EXPECT_EQ(Warnings(), (std::vector<std::string>{lost, lost}));
}

// A Refresh that lost the port says so on the Status line; once the gateway
// is back, the next script it answers, whichever page ran it, says so too.
TEST_F(GoneAfterStartUpTest, TheStatusLineFollowsTheNextAnsweredScript) {
    QString afterRefresh, afterList;
    const TempDir dir;  // outlives both gateways
    Run({"--link", (dir.Path() / "r7").string()}, [&](BLPropertySheet& sheet) {
        auto* status = Show(sheet, "Device Information")->findChild<QLineEdit*>("Status");
        gateway.reset();
        ASSERT_TRUE(QTest::qWaitFor([&] { return status->text().startsWith("Disconnected"); }));
        // Back, it is read again, and goes away during that Refresh for a moment.
        gateway = std::make_unique<SimGateway>(std::vector<std::string>{
            "--link", link, "--vanish-on", "<query_state", "--vanish-for", "150"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return status->text().startsWith("Not connected"); }));
        afterRefresh = status->text();
        ASSERT_TRUE(gateway->WaitForLink(true, 5000));
        Show(sheet, "Python");
        afterList = status->text();
    });

    EXPECT_EQ(afterRefresh.toStdString(), "Not connected: no answer on " + link);
    EXPECT_EQ(afterList.toStdString(), "Connected (" + link + ")");
    EXPECT_EQ(Warnings().size(), 1u) << "the Refresh that was not answered, once";
}

// The image is installed and the gateway never comes back: no silent success
// with the old version in the Firmware box.
TEST_F(GoneAfterStartUpTest, FirmwareInstallWithoutTheGatewayComingBackIsNoSuccess) {
    TempDir local;
    const std::string image = (local.Path() / "r7.bin").string();
    std::ofstream(image, std::ios::binary) << std::string(3000, '\xa5');
    QString shown;
    prompter.confirmAnswers = {true};
    Run({"--stay-down"}, [&](BLPropertySheet& sheet) {
        PropertyPage* page = Show(sheet, "Firmware Update");
        page->findChild<QLineEdit*>("firmwareFile")->setText(QString::fromStdString(image));
        Click(page, "update");
        shown = page->findChild<QLineEdit*>("firmware")->text();
    });

    EXPECT_EQ(Warnings(), (std::vector<std::string>{Undetected(LostPortText(link)), kNotBack}));
    EXPECT_EQ(shown, "2.11.4.7");
}
