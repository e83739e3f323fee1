#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "app/BLPropertySheet.h"
#include "model/ConfigModel.h"
#include "pages/IpAddressEdit.h"
#include "pages/MainPage.h"
#include "pages/ValueField.h"
#include "tests/ui/FakePrompter.h"
#include "tests/ui/RecordingRunner.h"

namespace {

std::string StateReply(const std::string& product, const std::string& ipAddress) {
    return "<rci_reply version='1.1'><query_state>"
           "<device_info><model>" +
           product +
           "</model><firmware>2.1.0.4</firmware></device_info>"
           "<mobile_stats><iccid>8944100000000000001</iccid></mobile_stats>"
           "<ppp_stats><ip_address>" +
           ipAddress + "</ip_address></ppp_stats></query_state></rci_reply>";
}

struct MainPageTest : testing::Test {
    ConfigModel model;
    RecordingRunner runner;
    FakePrompter prompter;
    MainPage page{model, runner, prompter};

    // Shows the page for a product and signal value, as the sheet would on
    // activation; returns the lit bars.
    int LitBars(const std::string& product, int signal) {
        model.LoadStateReply(StateReply(product, "10.1.2.3"));
        page.Info().signal = signal;
        page.Activate();
        int lit = 0;
        for (int bar = 1; bar <= MainPage::kSignalBars; ++bar) {
            if (page.SignalLampShown(bar) && page.SignalLampLit(bar)) {
                EXPECT_EQ(lit, bar - 1) << "bars light from the left";
                ++lit;
            }
        }
        return lit;
    }

    QString Field(const char* label) { return page.findChild<QLineEdit*>(label)->text(); }
};

}  // namespace

TEST_F(MainPageTest, FiveLampsFollowTheSignalLevel) {
    EXPECT_EQ(LitBars("R7 LTE", 99), 0);  // no measurement
    EXPECT_EQ(LitBars("R7 LTE", 2), 0);   // -109 dBm
    EXPECT_EQ(LitBars("R7 LTE", 3), 1);   // -107 dBm
    EXPECT_EQ(LitBars("R7 LTE", 7), 2);   // -99 dBm
    EXPECT_EQ(LitBars("R7 LTE", 13), 3);  // -87 dBm
    EXPECT_EQ(LitBars("R7 LTE", 14), 4);  // -85 dBm
    EXPECT_EQ(LitBars("R7 LTE", 17), 4);  // -79 dBm
    EXPECT_EQ(LitBars("R7 LTE", 18), 5);  // -77 dBm
    for (int bar = 1; bar <= MainPage::kSignalBars; ++bar)
        EXPECT_TRUE(page.SignalLampShown(bar));
}

TEST_F(MainPageTest, ProductWithR7RHasThreeLamps) {
    EXPECT_EQ(LitBars("Linkhold R7R-EU", 10), 2);  // -93 dBm
    EXPECT_FALSE(page.SignalLampShown(4));
    EXPECT_FALSE(page.SignalLampShown(5));
    EXPECT_EQ(LitBars("Linkhold R7R-EU", 31), 3);
    EXPECT_EQ(LitBars("Linkhold R7R-EU", 9), 1);  // -95 dBm
    // Back to a five-lamp product: the hidden lamps return.
    EXPECT_EQ(LitBars("R7 LTE", 31), 5);
    EXPECT_TRUE(page.SignalLampShown(5));
}

TEST_F(MainPageTest, LinkLampIsDarkOnlyForTheNullAddress) {
    auto* ip = page.findChild<IpAddressEdit*>(QStringLiteral("ipAddress"));
    model.LoadStateReply(StateReply("R7", "0.0.0.0"));
    page.Activate();
    EXPECT_FALSE(page.LinkLampLit());
    EXPECT_EQ(ip->Address(), "0.0.0.0");

    model.LoadStateReply(StateReply("R7", "10.1.2.3"));
    page.Activate();
    EXPECT_TRUE(page.LinkLampLit());
    EXPECT_EQ(ip->Address(), "10.1.2.3");

    model.LoadStateReply(StateReply("R7", ""));
    page.Activate();
    EXPECT_TRUE(page.LinkLampLit());
    EXPECT_EQ(ip->Address(), "");
}

TEST_F(MainPageTest, RefreshCollectsAgainAndShowsTheNewValues) {
    model.LoadStateReply(StateReply("R7 LTE", "10.1.2.3"));
    page.SetPortName("/dev/ttyACM0");
    page.Activate();
    EXPECT_EQ(Field("Status"), "Connected (/dev/ttyACM0)");
    EXPECT_EQ(Field("Product"), "R7 LTE");
    // Not read yet: no reading is claimed.
    EXPECT_EQ(Field("Signal"), "");
    EXPECT_EQ(Field("Network"), "");

    const auto answer = [](JobList& jobs) {
        for (CommandJob& job : jobs) {
            job.SetStatus(CommandJob::kSucceeded);
            job.SetAnswered(true);
            const std::string command = job.GetCommand();
            if (command.find("AT+CGMI") != std::string::npos)
                job.SetResponse("Sierra");
            else if (command.find("AT+CSQ") != std::string::npos)
                job.SetResponse("+CSQ: 18,99");
            else if (command.find("AT+CREG") != std::string::npos)
                job.SetResponse("+CREG: 2,5,\"1A2B\",\"01C3D4E5\"");
            else if (command.find("query_setting></query_setting") != std::string::npos)
                job.SetResponse("<rci_reply><query_setting><a>1</a></query_setting></rci_reply>");
            else if (command.find("query_state") != std::string::npos)
                job.SetResponse(StateReply("Linkhold R7R", "0.0.0.0"));
            else if (command.find("AT+CIMI") != std::string::npos)
                job.SetResponse("310260123456789");
        }
    };
    runner.answer = answer;
    page.Refresh();

    ASSERT_EQ(runner.scripts.size(), 1u);
    EXPECT_EQ(Field("Status"), "Connected (/dev/ttyACM0)");
    EXPECT_EQ(Field("Product"), "Linkhold R7R");
    EXPECT_EQ(Field("Firmware Version"), "2.1.0.4");
    EXPECT_EQ(Field("Modem Manufacturer"), "Sierra");
    EXPECT_EQ(Field("Signal"), "-77 dBm (CSQ 18)");
    EXPECT_EQ(Field("Network"), "Registered, roaming");
    EXPECT_FALSE(page.SignalLampShown(4));
    EXPECT_TRUE(page.SignalLampLit(3));
    EXPECT_FALSE(page.LinkLampLit());
    EXPECT_TRUE(prompter.warnings.empty());

    // The gateway lost in the wait (Cancel): nothing was answered, so nothing
    // shown changes but the Status line, until a Refresh is answered again.
    runner.answer = {};
    page.Refresh();
    EXPECT_EQ(Field("Status"), "Not connected: no answer on /dev/ttyACM0");
    EXPECT_EQ(Field("IMSI"), "310260123456789");
    EXPECT_EQ(Field("Modem Manufacturer"), "Sierra");
    EXPECT_EQ(Field("Network"), "Registered, roaming");
    EXPECT_TRUE(page.SignalLampLit(3));
    runner.answer = answer;
    page.Refresh();
    EXPECT_EQ(Field("Status"), "Connected (/dev/ttyACM0)");

    // A SIM locked by its PIN says so, and where the gateway takes the PIN from.
    runner.answer = [&answer](JobList& jobs) {
        answer(jobs);
        for (CommandJob& job : jobs) {
            if (job.GetCommand() == "AT+CIMI\r\n")
                job.SetStatus(CommandJob::kFailed);
            else if (job.GetCommand() == "AT+CPIN?\r\n")
                job.SetResponse("+CPIN: SIM PIN");
        }
    };
    page.Refresh();
    EXPECT_EQ(Field("IMSI"), "SIM PIN required");
    EXPECT_TRUE(page.findChild<QLineEdit*>("IMSI")->toolTip().contains("Mobile page"));
}

// A state reply that cannot be read is reported; the page keeps the values it
// showed.
TEST_F(MainPageTest, RefreshReportsAStateReplyThatCannotBeRead) {
    model.LoadStateReply(StateReply("R7 LTE", "10.1.2.3"));
    page.Activate();
    runner.answer = [](JobList& jobs) {
        for (CommandJob& job : jobs) {
            job.SetStatus(CommandJob::kSucceeded);
            job.SetAnswered(true);
            job.SetResponse("<rci_reply><query_state>\n<device_info></query_state>");
        }
    };
    page.Refresh();

    EXPECT_EQ(Field("Product"), "R7 LTE");
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].title, "Configuration not read");
    EXPECT_EQ(prompter.warnings[0].text,
              "The device settings, the device state and the radio settings sent by the device "
              "could not be read. The previous values are kept.");
    EXPECT_NE(prompter.warnings[0].details.find("device state: Opening and ending tag mismatch: "
                                                "device_info line 2 and query_state (line 2)"),
              std::string::npos)
        << prompter.warnings[0].details;
}

// At the sheet's default size the longest identity values show whole, and a
// port name too long for the status field is elided in the middle.
TEST(MainPageLayoutTest, LongValuesShowWholeAtTheDefaultSize) {
    ConfigModel model;
    RecordingRunner runner;
    FakePrompter prompter;
    BLPropertySheet sheet("Tarvel R7 Dashboard", model, runner, prompter);
    auto* page = new MainPage(model, runner, prompter);
    sheet.AddPage(page);
    const std::string iccid = "89441000001234567890";
    const std::string product = "Linkhold R7 Cellular Gateway";
    const std::string firmware = "2.11.4.7 (build 2026-12-08)";
    model.LoadStateReply("<r><query_state><mobile_stats><iccid>" + iccid +
                         "</iccid></mobile_stats><device_info><model>" + product +
                         "</model><firmware>" + firmware +
                         "</firmware></device_info></query_state></r>");
    const std::string port =
        "/dev/serial/by-id/usb-Linkhold_R7_Gateway_0123456789ABCDEF0123456789ABCDEF"
        "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF-if00";
    DeviceInfo& info = page->Info();
    info.statusText = "Connected (" + port + ")";
    info.imsi = "310260123456789";
    info.serialNumber = "356938035643809";
    info.revision = "HC7350 R07.12.3 2019/04/11 BUILD-4711 EU";
    ASSERT_EQ(info.revision.size(), 40u);
    info.signal = 1;
    info.registration = 1;
    info.signalRead = info.registrationRead = true;
    sheet.show();

    for (const auto& [label, value] :
         {std::pair{"Product", product}, std::pair{"Firmware Version", firmware},
          std::pair{"IMSI", info.imsi}, std::pair{"ICCID", iccid},
          std::pair{"Modem Serial Number", info.serialNumber},
          std::pair{"Modem Revision", info.revision},
          std::pair{"Signal", std::string("-111 dBm (CSQ 1)")},
          std::pair{"Network", std::string("Registered, home network")}}) {
        SCOPED_TRACE(label);
        auto* field = page->findChild<ValueField*>(label);
        EXPECT_EQ(field->text().toStdString(), value);
        EXPECT_GE(field->TextWidth(), field->fontMetrics().horizontalAdvance(field->text()));
    }
    // The link lamp stands apart: further from the first signal lamp than the
    // signal lamps are from each other.
    const auto* link = page->findChild<QLabel*>("linkLamp");
    const auto* bar1 = page->findChild<QLabel*>("signalLamp1");
    const auto* bar2 = page->findChild<QLabel*>("signalLamp2");
    const int barGap = bar2->x() - (bar1->x() + bar1->width());
    EXPECT_GE(bar1->x() - (link->x() + link->width()), barGap + 16);

    auto* status = page->findChild<ValueField*>("Status");
    const QString shown = status->text();
    EXPECT_LE(status->fontMetrics().horizontalAdvance(shown), status->TextWidth());
    EXPECT_TRUE(shown.startsWith("Connected (/dev/serial/by-id/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("-if00)")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_EQ(status->toolTip().toStdString(), info.statusText);

    // A name that fits: whole, and no tooltip.
    info.statusText = "Connected (/dev/ttyACM0)";
    page->UpdateData(false);
    EXPECT_EQ(status->text().toStdString(), info.statusText);
    EXPECT_TRUE(status->toolTip().isEmpty());
}
