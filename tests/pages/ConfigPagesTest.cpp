#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <memory>

#include "app/BLPropertySheet.h"
#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "model/ConfigModel.h"
#include "model/DeviceInfo.h"
#include "model/DeviceInfoCollection.h"
#include "pages/CellPage.h"
#include "pages/ChoiceList.h"
#include "pages/GroupFrame.h"
#include "pages/ProviderDialog.h"
#include "pages/SerialSettings.h"
#include "pages/SkyvanePage.h"
#include "tests/link/TempDir.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/support/WorkerScriptRunner.h"
#include "tests/ui/FakePrompter.h"

namespace {

// A gateway that reports only part of the settings, and values the pages do
// not offer: a band and serial settings outside their lists, an address
// without its scheme, a pause of ten hours, no server-initiated connection
// and no Telnet service.
constexpr char kSparseSettings[] = R"(<?xml version="1.0"?>
<settings>
  <mobile_simple>
    <apn>sparse.apn</apn>
    <mobile_gsm_band>3</mobile_gsm_band>
  </mobile_simple>
  <mgmtconnection index="1">
    <connectionEnabled>on</connectionEnabled>
    <ServerArray index="1"><serverAddress>plain.example</serverAddress></ServerArray>
    <clientConnectionReconnectTimeout>36000</clientConnectionReconnectTimeout>
  </mgmtconnection>
  <serial>
    <baud>460800</baud>
    <databits>8</databits>
    <parity>mark</parity>
    <stopbits>1</stopbits>
    <flowcontrol>none</flowcontrol>
  </serial>
  <tcp_server>
    <state>off</state>
    <port>2101</port>
    <keepalive>auto</keepalive>
  </tcp_server>
</settings>
)";

enum PageIndex { kMobile, kRemote, kSerial };

// The three pages in a sheet, over the settings the simulated gateway reports
// (its own factory settings, or a tree of the test's). Time runs twenty times
// faster, so an apply's 20-second wait takes one second.
struct ConfigPagesTest : testing::Test {
    TempDir config;
    std::unique_ptr<SimGateway> gateway;
    ScaledClock clock{20};
    ModemPort port{clock};
    WorkerScriptRunner runner{port};
    ConfigModel model;
    DeviceInfo info;
    FakePrompter prompter;
    std::unique_ptr<BLPropertySheet> sheet;
    CellPage* mobile = nullptr;
    SkyvanePage* remote = nullptr;
    SerialSettings* serial = nullptr;
    std::size_t commandsAtStart = 0;

    void Start(const char* settings = nullptr) {
        std::vector<std::string> args;
        if (settings) {
            std::ofstream(config.Path() / "settings.xml") << settings;
            args = {"--config", config.Path().string()};
        }
        gateway = std::make_unique<SimGateway>(args);
        DiscoveryOptions options;
        options.explicitPort = gateway->LinkPath();
        std::string reason;
        ASSERT_TRUE(DiscoverPort(port, options, {}, &reason)) << reason;
        ASSERT_TRUE(CollectDeviceInfo(runner, model, info).complete);
        commandsAtStart = gateway->ReceivedCommands().size();
        sheet = std::make_unique<BLPropertySheet>("Tarvel R7 Dashboard", model, runner, prompter);
        sheet->AddPage(mobile = new CellPage(model, &info, &prompter));
        sheet->AddPage(remote = new SkyvanePage(model, prompter));
        sheet->AddPage(serial = new SerialSettings(model));
        sheet->show();
    }

    // The settings documents sent since start-up.
    std::vector<std::string> SentDocuments() const {
        std::vector<std::string> documents;
        const std::vector<std::string> commands = gateway->ReceivedCommands();
        for (std::size_t i = commandsAtStart; i < commands.size(); ++i) {
            if (commands[i].starts_with("<rci_request") &&
                commands[i].find("<set_setting>") != std::string::npos)
                documents.push_back(commands[i]);
        }
        return documents;
    }

    template <typename Widget>
    static Widget* Find(QWidget* page, const char* name) {
        auto* widget = page->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static bool Shown(QWidget* page, const char* name) {
        return Find<QWidget>(page, name)->isVisibleTo(page);
    }
    static bool LabelShown(QWidget* page, const char* text) {
        for (QLabel* label : page->findChildren<QLabel*>()) {
            // The sheet gives labels their mnemonics.
            if (QString(label->text()).remove(u'&') == QString::fromLatin1(text))
                return label->isVisibleTo(page);
        }
        ADD_FAILURE() << "no label " << text;
        return false;
    }
    // A frame counts as shown when its border and title are drawn.
    static bool FrameShown(QWidget* page, const char* title) {
        auto* frame = Find<GroupFrame>(page, title);
        return frame->isVisibleTo(page) && frame->FrameShown();
    }
    static QString Text(QWidget* page, const char* name) {
        return Find<QLineEdit>(page, name)->text();
    }
    static void Type(QWidget* page, const char* name, const QString& text) {
        auto* edit = Find<QLineEdit>(page, name);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    static void Choose(QWidget* page, const char* name, const QString& entry) {
        auto* list = Find<ChoiceList>(page, name);
        const int index = list->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
};

// The text of the first element named `name` after `from` in a document.
std::string ValueAfter(const std::string& document, const std::string& from,
                       const std::string& name) {
    const std::size_t start = document.find(from);
    if (start == std::string::npos)
        return "(no " + from + ")";
    const std::string open = "<" + name + ">";
    const std::size_t value = document.find(open, start);
    if (value == std::string::npos)
        return "(no " + name + ")";
    const std::size_t end = document.find("</" + name + ">", value);
    return document.substr(value + open.size(), end - value - open.size());
}

constexpr char kBand[] = "mobile_simple/mobile_gsm_band";

}  // namespace

TEST_F(ConfigPagesTest, MobileEditsReachTheGatewayFromAnyPage) {
    Start();
    EXPECT_EQ(Find<ChoiceList>(mobile, kBand)->currentText(), "850/1900 MHz (North America)");
    EXPECT_EQ(Find<ChoiceList>(mobile, kBand)->count(), 7);
    EXPECT_TRUE(Shown(mobile, "mobile_simple/pin"));
    Type(mobile, "mobile_simple/apn", "first.apn");
    EXPECT_TRUE(mobile->IsModified());

    // A visit to another page keeps the edit; a box ticked twice there is no
    // change.
    ASSERT_TRUE(sheet->SetActivePage(kRemote));
    ASSERT_TRUE(sheet->SetActivePage(kMobile));
    EXPECT_EQ(Text(mobile, "mobile_simple/apn"), "first.apn");
    ASSERT_TRUE(sheet->SetActivePage(kRemote));
    QCheckBox* box = remote->findChildren<QCheckBox*>().at(0);
    box->click();
    EXPECT_TRUE(remote->IsModified());
    box->click();
    EXPECT_FALSE(remote->IsModified());

    // Applied while another page is active: the document carries the edit.
    ASSERT_TRUE(sheet->ApplyPages());
    ASSERT_EQ(SentDocuments().size(), 1u);
    EXPECT_EQ(ValueAfter(SentDocuments()[0], "<mobile_simple>", "apn"), "first.apn");

    ASSERT_TRUE(sheet->SetActivePage(kMobile));
    EXPECT_EQ(Text(mobile, "mobile_simple/apn"), "first.apn");
    EXPECT_FALSE(mobile->IsModified());
    Choose(mobile, kBand, "900/1900 MHz");
    EXPECT_TRUE(mobile->IsModified());
    Type(mobile, "mobile_simple/password", "se\"cret");
    ASSERT_TRUE(sheet->ApplyPages());

    ASSERT_EQ(SentDocuments().size(), 2u);
    const std::string document = SentDocuments()[1];
    EXPECT_EQ(ValueAfter(document, "<mobile_simple>", "mobile_gsm_band"), "10");
    EXPECT_EQ(ValueAfter(document, "<mobile_simple>", "password"), "se&quot;cret");
    EXPECT_FALSE(mobile->IsModified());
    // Shown as the gateway kept it.
    EXPECT_EQ(Find<ChoiceList>(mobile, kBand)->currentText(), "900/1900 MHz");
    EXPECT_EQ(Text(mobile, "mobile_simple/password"), "se\"cret");
}

// "Choose Provider..." opens on the SIM's network and fills the account as
// typing would; nothing goes out before Apply. Without the database it says
// why and changes nothing.
TEST_F(ConfigPagesTest, ChooseProviderFillsTheAccountFromTheSimsNetwork) {
    Start();
    ASSERT_TRUE(sheet->SetActivePage(kMobile));
    ProviderDatabase missing;
    missing.Load((config.Path() / "none.xml").string());
    mobile->SetProviderChooser(missing, {});
    Find<QPushButton>(mobile, "chooseProvider")->click();
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_NE(prompter.warnings[0].text.find("mobile-broadband-provider-info"), std::string::npos);
    EXPECT_FALSE(mobile->IsModified());

    Type(mobile, "mobile_simple/username", "old");
    std::string opened;
    mobile->SetProviderChooser(
        ProviderDatabase::Installed(),
        [&opened](QWidget* parent, const ProviderDatabase& database, const std::string& imsi) {
            ProviderDialog dialog(database, imsi, parent);
            opened =
                dialog.findChild<QListWidget*>("providerList")->currentItem()->text().toStdString();
            dialog.findChild<QLineEdit*>("providerSearch")->setText("mint");
            return dialog.Chosen();
        });
    const std::size_t commands = gateway->ReceivedCommands().size();
    Find<QPushButton>(mobile, "chooseProvider")->click();
    EXPECT_EQ(opened, "T-Mobile (SIM's network)");
    EXPECT_EQ(Text(mobile, "mobile_simple/apn"), "wholesale");
    EXPECT_EQ(Text(mobile, "mobile_simple/username"), "");
    EXPECT_TRUE(mobile->IsModified());
    EXPECT_EQ(gateway->ReceivedCommands().size(), commands);
    ASSERT_TRUE(sheet->ApplyPages());
    ASSERT_EQ(SentDocuments().size(), 1u);
    EXPECT_EQ(ValueAfter(SentDocuments()[0], "<mobile_simple>", "apn"), "wholesale");
}

// The gateway would keep a value whose settings reply no longer fits the
// buffer it is read into, and no later query could read it: nothing is sent.
TEST_F(ConfigPagesTest, ApplyOfAValueTooLongToReadBackSendsNothing) {
    Start(kSparseSettings);
    auto* apn = Find<QLineEdit>(mobile, "mobile_simple/apn");
    apn->setText(QString(20000, QLatin1Char('&')));
    emit apn->textEdited(apn->text());
    EXPECT_FALSE(sheet->ApplyPages());
    EXPECT_TRUE(SentDocuments().empty());
    EXPECT_TRUE(mobile->IsModified()) << "the discard question still protects the value";
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_NE(prompter.warnings[0].text.find("nothing was sent"), std::string::npos);
}

TEST_F(ConfigPagesTest, SparseGatewayShowsOnlyWhatItReportsAndKeepsUnknownValues) {
    Start(kSparseSettings);
    EXPECT_TRUE(Shown(mobile, "mobile_simple/apn"));
    EXPECT_TRUE(LabelShown(mobile, "Service Plan/APN:"));
    EXPECT_TRUE(FrameShown(mobile, "Mobile Service Provider Settings"));
    for (const char* hidden :
         {"mobile_simple/username", "mobile_simple/password", "mobile_simple/pin"})
        EXPECT_FALSE(Shown(mobile, hidden)) << hidden;
    for (const char* hidden : {"Username:", "Password:", "SIM Pin:"})
        EXPECT_FALSE(LabelShown(mobile, hidden)) << hidden;
    EXPECT_TRUE(Shown(mobile, kBand));
    EXPECT_TRUE(LabelShown(mobile, "Band Configuration:"));
    EXPECT_TRUE(FrameShown(mobile, "Mobile Band Settings"));
    auto* band = Find<ChoiceList>(mobile, kBand);
    EXPECT_EQ(band->currentText(), "Band value 3");
    EXPECT_EQ(band->count(), 8);

    // An unrelated edit: the band goes back byte for byte.
    Type(mobile, "mobile_simple/apn", "other.apn");
    ASSERT_TRUE(sheet->ApplyPages());
    ASSERT_EQ(SentDocuments().size(), 1u);
    EXPECT_EQ(ValueAfter(SentDocuments()[0], "<mobile_simple>", "mobile_gsm_band"), "3");
    EXPECT_EQ(ValueAfter(SentDocuments()[0], "<mobile_simple>", "apn"), "other.apn");
    EXPECT_EQ(band->currentText(), "Band value 3");

    // The serial page: values outside the lists shown and kept, the raw TCP
    // line without the Telnet line's label and frame.
    ASSERT_TRUE(sheet->SetActivePage(kSerial));
    EXPECT_EQ(Find<ChoiceList>(serial, "serial/baud")->currentText(), "460800");
    EXPECT_EQ(Find<ChoiceList>(serial, "serial/parity")->currentText(), "mark");
    EXPECT_EQ(Find<ChoiceList>(serial, "serial/flowcontrol")->currentText(), "None");
    EXPECT_EQ(Find<ChoiceList>(serial, "serial/stopbits")->currentText(), "1");
    EXPECT_TRUE(FrameShown(serial, "Basic Serial Port Settings"));
    for (const char* shown : {"tcp_server/state", "tcp_server/port", "tcp_server/keepalive"})
        EXPECT_TRUE(Shown(serial, shown)) << shown;
    for (const char* hidden : {"telnet_server/state", "ssh_server/state", "udp_server/port"})
        EXPECT_FALSE(Shown(serial, hidden)) << hidden;
    EXPECT_FALSE(LabelShown(serial, "TCP Serial"));
    EXPECT_FALSE(FrameShown(serial, "Serial Port Network Settings"));
    EXPECT_FALSE(Find<QLineEdit>(serial, "tcp_server/port")->isEnabled());

    Find<QCheckBox>(serial, "tcp_server/state")->click();
    EXPECT_TRUE(Find<QLineEdit>(serial, "tcp_server/port")->isEnabled());
    EXPECT_TRUE(serial->IsModified());
    Type(serial, "tcp_server/port", "21x02");  // numerals only
    EXPECT_EQ(Text(serial, "tcp_server/port"), "2102");
    ASSERT_TRUE(sheet->ApplyPages());
    ASSERT_EQ(SentDocuments().size(), 2u);
    const std::string document = SentDocuments()[1];
    EXPECT_EQ(ValueAfter(document, "<serial>", "baud"), "460800");
    EXPECT_EQ(ValueAfter(document, "<serial>", "parity"), "mark");
    EXPECT_EQ(ValueAfter(document, "<serial>", "flowcontrol"), "None");
    EXPECT_EQ(ValueAfter(document, "<tcp_server>", "state"), "on");
    EXPECT_EQ(ValueAfter(document, "<tcp_server>", "port"), "2102");
    // A switch whose stored text is neither on nor off, left clear, stays as stored.
    EXPECT_EQ(ValueAfter(document, "<tcp_server>", "keepalive"), "auto");
    EXPECT_EQ(ValueAfter(document, "<mobile_simple>", "mobile_gsm_band"), "3");
    EXPECT_EQ(Find<ChoiceList>(serial, "serial/baud")->currentText(), "460800");
    EXPECT_EQ(Find<ChoiceList>(serial, "serial/parity")->currentText(), "mark");
}

TEST_F(ConfigPagesTest, RemoteManagementDecodesPausesAndWritesThemBack) {
    Start();
    ASSERT_TRUE(sheet->SetActivePage(kRemote));
    EXPECT_TRUE(FrameShown(remote, "Client-Initiated Management Connection"));
    EXPECT_TRUE(FrameShown(remote, "Server-Initiated Management Connection "));
    EXPECT_EQ(Text(remote, "clientServerAddress"), "devices.tarvel.example");
    EXPECT_EQ(Text(remote, "lkaServerAddress"), "lka.tarvel.example");
    EXPECT_TRUE(Find<QCheckBox>(remote,
                                "Automatically reconnect to the server after being "
                                "disconnected")
                    ->isChecked());
    EXPECT_EQ(Text(remote, "Reconnect after: hrs"), "1");
    EXPECT_EQ(Text(remote, "Reconnect after: mins"), "2");
    EXPECT_EQ(Text(remote, "Reconnect after: secs"), "5");
    // Retry off (-1): 0:00:10, not editable.
    auto* retry = Find<QCheckBox>(remote, "Retry if the LKA update fails");
    EXPECT_FALSE(retry->isChecked());
    EXPECT_EQ(Text(remote, "Rety after: hrs"), "0");
    EXPECT_EQ(Text(remote, "Rety after: mins"), "0");
    EXPECT_EQ(Text(remote, "Rety after: secs"), "10");
    EXPECT_FALSE(Find<QLineEdit>(remote, "Rety after: secs")->isEnabled());

    // An unapplied pause survives a visit to another page.
    Type(remote, "Reconnect after: mins", "3");
    ASSERT_TRUE(sheet->SetActivePage(kSerial));
    ASSERT_TRUE(sheet->SetActivePage(kRemote));
    EXPECT_EQ(Text(remote, "Reconnect after: mins"), "3");

    // The server-initiated connection is off: everything under it waits.
    auto* server = Find<QCheckBox>(
        remote, "Enable Remote Management and Configuration using a server-initiated connection");
    auto* lka =
        Find<QCheckBox>(remote, "Enable Last Known Address (LKA) updates to the following server");
    EXPECT_FALSE(lka->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(remote, "lkaServerAddress")->isEnabled());
    server->click();
    EXPECT_TRUE(lka->isEnabled());
    EXPECT_TRUE(Find<QLineEdit>(remote, "lkaServerAddress")->isEnabled());
    EXPECT_TRUE(retry->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(remote, "Rety after: secs")->isEnabled());
    EXPECT_TRUE(remote->IsModified());
    retry->click();
    EXPECT_TRUE(Find<QLineEdit>(remote, "Rety after: secs")->isEnabled());
    retry->click();

    Type(remote, "clientServerAddress", "en://typed.example");
    ASSERT_TRUE(sheet->ApplyPages());
    ASSERT_EQ(SentDocuments().size(), 1u);
    const std::string document = SentDocuments()[0];
    const std::string client = "<mgmtconnection index='1'>";
    const std::string initiated = "<mgmtconnection index='3'>";
    EXPECT_EQ(ValueAfter(document, client, "serverAddress"), "en://typed.example");
    EXPECT_EQ(ValueAfter(document, client, "clientConnectionReconnectTimeout"), "3785");
    EXPECT_EQ(ValueAfter(document, initiated, "connectionEnabled"), "on");
    EXPECT_EQ(ValueAfter(document, initiated, "serverAddress"), "lka.tarvel.example");
    EXPECT_EQ(ValueAfter(document, initiated, "clientConnectionReconnectTimeout"), "-1")
        << "a pause left off goes back as stored";
    EXPECT_EQ(Text(remote, "clientServerAddress"), "typed.example");
    EXPECT_TRUE(prompter.warnings.empty());
}

TEST_F(ConfigPagesTest, RemoteManagementRefusesPausesOutOfRange) {
    Start(kSparseSettings);
    ASSERT_TRUE(sheet->SetActivePage(kRemote));
    // No server-initiated connection: its whole group stays hidden.
    EXPECT_FALSE(
        Find<QWidget>(remote, "Server-Initiated Management Connection ")->isVisibleTo(remote));
    EXPECT_FALSE(LabelShown(remote, "Rety after:"));
    EXPECT_TRUE(FrameShown(remote, "Client-Initiated Management Connection"));
    EXPECT_EQ(Text(remote, "clientServerAddress"), "plain.example");

    // Ten hours, as stored or typed, hold the user on the page.
    auto* hours = Find<QLineEdit>(remote, "Reconnect after: hrs");
    EXPECT_EQ(hours->text(), "10");
    EXPECT_FALSE(sheet->SetActivePage(kSerial));
    EXPECT_EQ(sheet->ActivePage(), remote);
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_NE(prompter.warnings[0].text.find("between 0 and 9"), std::string::npos);
    EXPECT_NE(prompter.warnings[0].text.find("Reconnect after:"), std::string::npos);
    EXPECT_EQ(remote->focusWidget(), hours);
    EXPECT_FALSE(sheet->ApplyPages());
    EXPECT_TRUE(SentDocuments().empty());

    Type(remote, "Reconnect after: hrs", "9");
    Type(remote, "Reconnect after: mins", "61");
    EXPECT_FALSE(sheet->ApplyPages());
    EXPECT_NE(prompter.warnings.back().text.find("between 0 and 60"), std::string::npos);
    EXPECT_EQ(remote->focusWidget(), Find<QLineEdit>(remote, "Reconnect after: mins"));
    Type(remote, "Reconnect after: mins", "60");
    Type(remote, "Reconnect after: secs", "60");
    ASSERT_TRUE(sheet->ApplyPages());
    ASSERT_EQ(SentDocuments().size(), 1u);
    const std::string document = SentDocuments()[0];
    EXPECT_EQ(ValueAfter(document, "<mgmtconnection", "clientConnectionReconnectTimeout"), "36060");
    EXPECT_EQ(ValueAfter(document, "<mgmtconnection", "serverAddress"), "plain.example")
        << "an address the user left alone goes back as stored";
    EXPECT_EQ(prompter.warnings.size(), 3u) << "one for each refusal";

    // The gateway reports 36060 back as 10:01:00, which the hours rule refuses
    // again, also when a check box click takes the values.
    EXPECT_EQ(Text(remote, "Reconnect after: hrs"), "10");
    EXPECT_EQ(Text(remote, "Reconnect after: mins"), "1");
    EXPECT_EQ(Text(remote, "Reconnect after: secs"), "0");
    Find<QCheckBox>(remote,
                    "Enable Remote Management and Configuration using a client-initiated "
                    "connection")
        ->click();
    EXPECT_EQ(prompter.warnings.size(), 4u);
    EXPECT_FALSE(hours->isEnabled()) << "the click still counts";
}

TEST_F(ConfigPagesTest, SerialListsSelectWholeEntriesAndServicesFollowTheirSwitch) {
    Start();
    ASSERT_TRUE(sheet->SetActivePage(kSerial));
    auto* baud = Find<ChoiceList>(serial, "serial/baud");
    EXPECT_EQ(baud->currentText(), "115200");
    EXPECT_EQ(baud->count(), 11) << "no extra entry for a known value";
    EXPECT_EQ(Find<ChoiceList>(serial, "serial/parity")->currentText(), "None");
    EXPECT_TRUE(LabelShown(serial, "TCP Serial"));
    EXPECT_TRUE(FrameShown(serial, "Serial Port Network Settings"));
    EXPECT_TRUE(LabelShown(serial, "Data Bits:"));
    EXPECT_TRUE(Find<QLineEdit>(serial, "telnet_server/port")->isEnabled());
    EXPECT_TRUE(Find<QCheckBox>(serial, "telnet_server/keepalive")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(serial, "ssh_server/port")->isEnabled());
    EXPECT_FALSE(Find<QCheckBox>(serial, "ssh_server/keepalive")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(serial, "udp_server/port")->isEnabled());
    EXPECT_FALSE(serial->IsModified());

    Find<QCheckBox>(serial, "udp_server/state")->click();
    EXPECT_TRUE(Find<QLineEdit>(serial, "udp_server/port")->isEnabled());
    EXPECT_TRUE(serial->IsModified());
    Find<QCheckBox>(serial, "udp_server/state")->click();
    Choose(serial, "serial/baud", "9600");
    ASSERT_TRUE(sheet->ApplyPages());
    ASSERT_EQ(SentDocuments().size(), 1u);
    const std::string document = SentDocuments()[0];
    EXPECT_EQ(ValueAfter(document, "<serial>", "baud"), "9600");
    EXPECT_EQ(ValueAfter(document, "<serial>", "parity"), "None");
    EXPECT_EQ(ValueAfter(document, "<udp_server>", "state"), "off");
    EXPECT_EQ(baud->currentText(), "9600");
}
