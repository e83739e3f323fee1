#include <gtest/gtest.h>

#include <QLineEdit>

#include "app/BLApp.h"
#include "app/BLPropertySheet.h"
#include "app/StartOptions.h"
#include "model/SettingBinding.h"
#include "pages/MainPage.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/ui/FakePrompter.h"

namespace {

constexpr char kSettingsQuery[] =
    "at&usbinterface=20,\"<rci_request version='1.1'><query_setting></query_setting>"
    "</rci_request>\"\r\n";

// An editing page as the mobile page works: two settings of mobile_simple,
// written into the tree and sent only while it is the active page, then read
// back from what the gateway reported.
class MobileTestPage : public PropertyPage {
public:
    explicit MobileTestPage(ConfigModel& model) : PropertyPage("Mobile"), model_(model) {
        for (auto [path, value, edit] :
             {std::tuple{"mobile_simple/apn", &apn_, &apnEdit_},
              std::tuple{"mobile_simple/mobile_gsm_band", &band_, &bandEdit_}}) {
            SettingBinding row;
            row.path = path;
            row.text = value;
            row.kind = kTextSetting;
            table_.push_back(row);
            *edit = new QLineEdit(this);
        }
    }

    QLineEdit* apnEdit_;
    QLineEdit* bandEdit_;

protected:
    void OnSetActive() override { ShowSettings(); }
    bool DoDataExchange(bool save) override {
        ExchangeText(save, apnEdit_, apn_);
        ExchangeText(save, bandEdit_, band_);
        return true;
    }
    bool OnApply() override {
        if (!IsActivePage())
            return true;
        WriteSetting(table_, model_.SettingsGroups());
        SendToSheet(WM_APPLY_CONFIGURATION);
        ShowSettings();
        return true;
    }

private:
    void ShowSettings() {
        ReadSetting([](int) {}, table_, model_.SettingsGroups());
        UpdateData(false);
    }

    ConfigModel& model_;
    BindingTable table_;
    std::string apn_;
    std::string band_;
};

// The dashboard's start-up against the simulated gateway. Time runs twenty
// times faster, so the 20-second wait of an apply takes one second.
struct EndToEndTest : testing::Test {
    FakePrompter prompter;
    ScaledClock clock{20};
    BLApp app{prompter, clock};

    StartOptions Options(const SimGateway& gateway) {
        StartOptions options;
        options.discovery.explicitPort = gateway.LinkPath();
        return options;
    }

    // Adds the test page, changes both values on it and presses Apply.
    MobileTestPage* ApplyEdits(BLPropertySheet& sheet) {
        auto* page = new MobileTestPage(app.Model());
        sheet.AddPage(page);
        sheet.show();
        EXPECT_TRUE(sheet.SetActivePage(sheet.PageCount() - 1));
        EXPECT_EQ(page->apnEdit_->text(), "internet.linkhold.example");
        page->apnEdit_->setText("apn.\"changed\"&more");
        page->bandEdit_->setText("99");
        page->SetModified(true);
        EXPECT_TRUE(sheet.ApplyPages());
        return page;
    }
};

}  // namespace

TEST_F(EndToEndTest, StartUpShowsTheGatewayAndApplySendsTheWholeDocument) {
    SimGateway gateway;
    std::size_t commandsAtStart = 0;
    QString apnShown, bandShown, status, product;
    app.SetSheetRunner([&](BLPropertySheet& sheet) {
        ASSERT_GE(sheet.PageCount(), 1);
        auto* main = static_cast<MainPage*>(sheet.Page(0));
        EXPECT_EQ(main->Title(), "Device Information");
        commandsAtStart = gateway.ReceivedCommands().size();
        MobileTestPage* page = ApplyEdits(sheet);
        apnShown = page->apnEdit_->text();
        bandShown = page->bandEdit_->text();
        sheet.SetActivePage(0);
        status = main->findChild<QLineEdit*>("Status")->text();
        product = main->findChild<QLineEdit*>("Product")->text();
    });

    EXPECT_EQ(app.InitInstance(Options(gateway)), BLApp::Outcome::SheetClosed);
    EXPECT_TRUE(prompter.retryQuestions.empty());
    EXPECT_EQ(status.toStdString(), "Connected (" + gateway.LinkPath() + ")");
    EXPECT_FALSE(product.isEmpty());

    const std::vector<std::string> commands = gateway.ReceivedCommands();
    ASSERT_EQ(commands.size(), commandsAtStart + 3);
    EXPECT_EQ(commands[commandsAtStart], "at&usbinterface=22\r\n");
    const std::string& document = commands[commandsAtStart + 1];
    EXPECT_TRUE(document.starts_with("<rci_request")) << document;
    EXPECT_TRUE(document.ends_with("</rci_request>")) << "no line end after the document";
    EXPECT_NE(document.find("<set_setting>"), std::string::npos);
    EXPECT_NE(document.find("<apn>apn.&quot;changed&quot;&amp;more</apn>"), std::string::npos);
    EXPECT_EQ(commands[commandsAtStart + 2], kSettingsQuery);
    // The page shows what the gateway kept: the new name, the old band.
    EXPECT_EQ(apnShown, "apn.\"changed\"&more");
    EXPECT_EQ(bandShown, "9");
}

TEST_F(EndToEndTest, FailedReloadKeepsTheEditedValues) {
    // Start-up sends eleven commands; the gateway goes mute after the document.
    SimGateway gateway({"--silent-after", "13"});
    QString apnShown, bandShown;
    app.SetSheetRunner([&](BLPropertySheet& sheet) {
        ASSERT_EQ(gateway.ReceivedCommands().size(), 11u);
        MobileTestPage* page = ApplyEdits(sheet);
        apnShown = page->apnEdit_->text();
        bandShown = page->bandEdit_->text();
    });

    app.InitInstance(Options(gateway));
    EXPECT_EQ(apnShown, "apn.\"changed\"&more");
    EXPECT_EQ(bandShown, "99");
}

TEST_F(EndToEndTest, SilentGatewayAsksToRetryAndCancelEndsWithoutTheSheet) {
    SimGateway gateway({"--silent-after", "0"});
    // Every query waits out its deadline: let time run faster still.
    ScaledClock fastClock{200};
    BLApp quickApp{prompter, fastClock};
    bool sheetShown = false;
    quickApp.SetSheetRunner([&](BLPropertySheet&) { sheetShown = true; });

    EXPECT_EQ(quickApp.InitInstance(Options(gateway)), BLApp::Outcome::NoDeviceInfo);
    ASSERT_EQ(prompter.retryQuestions.size(), 1u);
    EXPECT_EQ(prompter.retryQuestions[0].text,
              "Unable to communicate with the device. Please verify that the device is powered "
              "and connected to USB.");
    EXPECT_FALSE(sheetShown);
}
