#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/BLApp.h"
#include "app/BLPropertySheet.h"
#include "app/StartOptions.h"
#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "model/NodeDiscovery.h"
#include "pages/MeshletPage.h"
#include "tests/link/TempDir.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/support/WorkerScriptRunner.h"
#include "tests/support/WorkerUploadRunner.h"
#include "tests/ui/FakePrompter.h"
#include "tests/utils/LinkedGateway.h"

namespace {

struct RadioEndToEndTest : testing::Test {
    ModemPort port;

    void Open(const SimGateway& gateway) {
        DiscoveryOptions options;
        options.explicitPort = gateway.LinkPath();
        std::string reason;
        ASSERT_TRUE(DiscoverPort(port, options, {}, &reason)) << reason;
    }
};

}  // namespace

TEST_F(RadioEndToEndTest, DiscoveryListsTheSimulatedNodesOnce) {
    SimGateway gateway;
    Open(gateway);
    WorkerScriptRunner runner(port);
    const std::vector<DiscoveredNode> nodes = DiscoverNodes(runner).value();
    ASSERT_EQ(nodes.size(), 3u) << "the node that answered twice is listed once";
    EXPECT_EQ(nodes[0].nodeType, "Coordinator");
    EXPECT_EQ(nodes[0].productType, "Gateway");
    EXPECT_EQ(nodes[1].nodeId, "pump house");
    EXPECT_EQ(nodes[1].nodeType, "Router");
    EXPECT_EQ(nodes[2].nodeType, "End Node");
}

TEST_F(RadioEndToEndTest, DiscoveryListsTheNodesTheSimulatorWasGiven) {
    TempDir config;
    std::ofstream(config.Path() / "discover.xml")
        << "<discover><device><node_id>lone</node_id><ext_addr>ab!</ext_addr></device>"
           "<device><ext_addr>AB!</ext_addr></device></discover>";
    SimGateway gateway({"--config", config.Path().string()});
    Open(gateway);
    WorkerScriptRunner runner(port);
    const std::vector<DiscoveredNode> nodes = DiscoverNodes(runner).value();
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0].nodeId, "lone");
    EXPECT_EQ(nodes[0].nodeType, "Coordinator");
    EXPECT_EQ(nodes[0].productType, "Gateway");
}

namespace {

// The dashboard's start-up against the simulated gateway, time twenty times
// faster than real.
struct RadioStartUpTest : testing::Test {
    FakePrompter prompter;
    ScaledClock clock{20};
    BLApp app{prompter, clock};

    BLApp::Outcome Start(const SimGateway& gateway,
                         const std::function<void(BLPropertySheet&)>& use) {
        StartOptions options;
        options.discovery.explicitPort = gateway.LinkPath();
        app.SetSheetRunner(use);
        return app.InitInstance(options);
    }

    static QStringList Titles(const BLPropertySheet& sheet) {
        QStringList titles;
        for (int i = 0; i < sheet.PageCount(); ++i)
            titles << sheet.Page(i)->Title();
        return titles;
    }
};

}  // namespace

TEST_F(RadioStartUpTest, MeshletPagesOnlyWithARadio) {
    SimGateway withRadio;
    QStringList titles;
    Start(withRadio, [&](BLPropertySheet& sheet) { titles = Titles(sheet); });
    EXPECT_TRUE(titles.contains("Meshlet"));
    EXPECT_EQ(titles.indexOf("Meshlet"), titles.indexOf("Device Information") + 1 +
                                             titles.contains("Mobile") +
                                             titles.contains("Remote Management"));
    EXPECT_EQ(titles.indexOf("Meshlet Network"), titles.indexOf("Meshlet") + 1);

    if (titles.contains("Serial Port")) {
        EXPECT_EQ(titles.indexOf("Serial Port"), titles.indexOf("Meshlet Network") + 1);
    }

    SimGateway withoutRadio({"--no-radio"});
    Start(withoutRadio, [&](BLPropertySheet& sheet) { titles = Titles(sheet); });
    EXPECT_FALSE(titles.contains("Meshlet"));
    EXPECT_FALSE(titles.contains("Meshlet Network"));
}

TEST_F(RadioStartUpTest, MeshletTabRefusesAppliesAndUpdatesTheRadioFirmware) {
    SimGateway gateway;
    TempDir dir;
    const std::string firmware = (dir.Path() / "radio-2165.ebl").string();
    std::ofstream(firmware) << std::string(3000, 'r');
    QString refusedFocus, panId, randomPanId, joinTime, nodeId, versionBefore, versionAfter;
    std::size_t commandsBeforeUpdate = 0;

    Start(gateway, [&](BLPropertySheet& sheet) {
        sheet.show();
        int index = 0;
        while (index < sheet.PageCount() && sheet.Page(index)->Title() != "Meshlet")
            ++index;
        ASSERT_TRUE(sheet.SetActivePage(index));
        PropertyPage* page = sheet.Page(index);
        const auto edit = [page](const char* name) { return page->findChild<QLineEdit*>(name); };
        // As typing does.
        const auto type = [&edit](const char* name, const QString& text) {
            edit(name)->setText(text);
            edit(name)->setModified(true);
            emit edit(name)->textEdited(text);
        };
        versionBefore = edit("firmwareVersion")->text();

        type("scanDuration", "9");
        EXPECT_FALSE(sheet.ApplyPages());
        refusedFocus = sheet.focusWidget()->objectName();

        type("scanDuration", "5");
        type("extendedPanId", "0xAB");
        type("nodeId", "north mast");
        EXPECT_TRUE(sheet.ApplyPages());
        panId = edit("extendedPanId")->text();
        joinTime = edit("joinTime")->text();
        nodeId = edit("nodeId")->text();

        type("extendedPanId", "0");
        EXPECT_TRUE(sheet.ApplyPages()) << "0 asks for a random extended PAN ID";
        randomPanId = edit("extendedPanId")->text();

        emit edit("nodeId")->textEdited(nodeId);  // an edit the update's re-read replaces
        commandsBeforeUpdate = gateway.ReceivedCommands().size();
        edit("firmwarePath")->setText(QString::fromStdString(firmware));
        static_cast<MeshletPage*>(page)->UpdateFirmware();
        versionAfter = edit("firmwareVersion")->text();
        EXPECT_FALSE(page->IsModified()) << "the re-read left nothing to apply";
    });

    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].text, "Scan Duration must be between 0 and 7");
    EXPECT_EQ(prompter.warnings[0].kind, MessageKind::Error) << "a refusal shows the error icon";
    EXPECT_EQ(refusedFocus, "scanDuration");
    EXPECT_EQ(panId, "0x00000000000000ab") << "what the gateway kept";
    EXPECT_EQ(joinTime, "255");
    EXPECT_EQ(nodeId, "north mast");
    EXPECT_EQ(randomPanId, "0x0000000000000000");

    EXPECT_TRUE(prompter.retryQuestions.empty()) << "the digest matched";
    EXPECT_EQ(versionBefore, "2164");
    EXPECT_EQ(versionAfter, "2165");
    const std::vector<std::string> commands = gateway.ReceivedCommands();
    const auto sent = [&](const std::string& text) {
        return std::find_if(commands.begin() + commandsBeforeUpdate, commands.end(),
                            [&](const std::string& c) {
                                return c.find(text) != std::string::npos;
                            }) != commands.end();
    };
    EXPECT_TRUE(sent("AT&USBINTERFACE=16,\"/WEB/mesh/radio-2165.ebl\""));
    EXPECT_TRUE(sent("at&usbinterface=41,\"/WEB/mesh/radio-2165.ebl\""));
    EXPECT_TRUE(sent("<fw_update file='radio-2165.ebl'/>"));
}

// A radio firmware file chosen with Browse and removed before Update is
// pressed: the page says so, and nothing more reaches the gateway.
TEST(MeshletPageEndToEndTest, FirmwareRemovedAfterBrowseIsRefusedAndNothingIsSent) {
    LinkedGateway gateway;
    ASSERT_TRUE(gateway.ready);
    WorkerUploadRunner uploader(gateway.port, gateway.clock);
    FakePrompter prompter;
    MeshletPage page(gateway.model, gateway.runner, uploader, prompter);
    TempDir dir;
    const std::string path = (dir.Path() / "radio.ebl").string();
    std::ofstream(path) << "radio image";
    prompter.fileAnswers = {path};
    page.findChild<QPushButton*>("browse")->click();
    std::filesystem::remove(path);
    const std::size_t before = gateway.sim.ReceivedCommands().size();

    page.findChild<QPushButton*>("update")->click();

    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].title, "Please enter a correct Filename");
    EXPECT_EQ(prompter.warnings[0].text, "Unable to open the firmware file to update.");
    EXPECT_TRUE(gateway.CommandsFrom(before).empty());
}
