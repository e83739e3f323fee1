#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>
#include <memory>

#include "app/BLApp.h"
#include "app/BLPropertySheet.h"
#include "app/StartOptions.h"
#include "app/WidgetPrompter.h"
#include "model/SettingBinding.h"
#include "pages/KeyboardAccess.h"
#include "pages/MainPage.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/ui/FakePrompter.h"

namespace {

constexpr char kSettingsQuery[] =
    "at&usbinterface=20,\"<rci_request version='1.1'><query_setting></query_setting>"
    "</rci_request>\"\r\n";

// An editing page as the mobile page works: two settings of mobile_simple,
// written into the tree for the sheet to send, then read back from what the
// gateway reported.
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

    QEvent::Type ApplyRequest() const override { return WM_APPLY_CONFIGURATION; }

protected:
    void OnSetActive() override { ShowSettings(); }
    bool DoDataExchange(bool save) override {
        ExchangeText(save, apnEdit_, apn_);
        ExchangeText(save, bandEdit_, band_);
        return true;
    }
    bool OnApply() override {
        WriteSetting(table_, model_.SettingsGroups());
        return true;
    }
    void OnApplied() override { ShowSettings(); }

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

constexpr char kSilentText[] =
    "Unable to communicate with the device. Please verify that the device is powered and "
    "connected to USB.";

// A person who presses Cancel in the progress dialog whenever it offers one, and
// notes what the dialog said then.
class CancelPresser {
public:
    CancelPresser() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { PressIfOffered(); });
        timer_.start();
    }

    int presses = 0;
    QString waitingText;

private:
    void PressIfOffered() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* cancel = window->findChild<QPushButton*>(QStringLiteral("cancel"));
            if (cancel == nullptr || !cancel->isVisible() || !cancel->isEnabled())
                continue;
            waitingText = window->findChild<QLabel*>(QStringLiteral("portLine"))->text();
            ++presses;
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    }

    QTimer timer_;
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

    // Adds the test page, changes both values on it and presses Apply, which
    // the gateway confirms or not.
    MobileTestPage* ApplyEdits(BLPropertySheet& sheet, bool confirmed = true) {
        auto* page = new MobileTestPage(app.Model());
        sheet.AddPage(page);
        sheet.show();
        EXPECT_TRUE(sheet.SetActivePage(sheet.PageCount() - 1));
        EXPECT_EQ(page->apnEdit_->text(), "internet.linkhold.example");
        page->apnEdit_->setText("apn.\"changed\"&more");
        page->bandEdit_->setText("99");
        page->SetModified(true);
        EXPECT_EQ(sheet.ApplyPages(), confirmed);
        return page;
    }
};

}  // namespace

TEST_F(EndToEndTest, StartUpShowsTheGatewayAndApplySendsTheWholeDocument) {
    SimGateway gateway;
    std::size_t commandsAtStart = 0;
    QString apnShown, bandShown, status, product;
    app.SetSheetRunner([&](BLPropertySheet& sheet) {
        ASSERT_GE(sheet.PageCount(), 1);  // the page order is tested with the pages
        auto* main = static_cast<MainPage*>(sheet.Page(0));
        EXPECT_EQ(main->Title(), "Device Information");
        EXPECT_EQ(sheet.windowTitle().toStdString(), "Tarvel R7 Dashboard - " + gateway.LinkPath());
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
        MobileTestPage* page = ApplyEdits(sheet, false);
        apnShown = page->apnEdit_->text();
        bandShown = page->bandEdit_->text();
        EXPECT_TRUE(page->IsModified());
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

// Every way a configuration reply can come back unreadable gets the same box,
// naming the document, and the sheet opens afterwards all the same. Replies
// beyond the reply buffer (every XML reply padded) are unreadable too, not
// missing: the gateway did answer.
TEST_F(EndToEndTest, UnreadableRepliesAreReportedAndTheSheetStillOpens) {
    constexpr char kCutShort[] = "The reply was larger than 100000 bytes and was cut short.";
    const struct {
        std::vector<std::string> fault;
        const char* document;
        const char* reason;
    } kCases[] = {
        {{"--spoil", "mismatch:<query_setting></query_setting>"}, "device settings", "mismatch"},
        {{"--spoil", "cut:<query_setting></query_setting>"}, "device settings", "end"},
        {{"--spoil", "dtd:<query_setting></query_setting>"}, "device settings", "DTD"},
        {{"--spoil", "deep:<query_setting></query_setting>"}, "device settings", "depth"},
        {{"--spoil", "binary:query_state"}, "device state", "(line"},
        {{"--spoil", "echo:<query_setting></query_setting>"}, "device settings", "Extra content"},
        {{"--oversize", "150000"},
         "device settings, the device state and the radio settings",
         kCutShort},
    };
    for (const auto& [fault, document, reason] : kCases) {
        SCOPED_TRACE(fault[1]);
        SimGateway gateway(fault);
        FakePrompter prompter;
        BLApp app{prompter, clock};
        bool sheetShown = false;
        app.SetSheetRunner([&](BLPropertySheet&) {
            sheetShown = true;
            EXPECT_EQ(prompter.warnings.size(), 1u) << "the box comes before the sheet";
        });

        EXPECT_EQ(app.InitInstance(Options(gateway)), BLApp::Outcome::SheetClosed);
        EXPECT_TRUE(sheetShown);
        ASSERT_EQ(prompter.warnings.size(), 1u);
        const FakePrompter::Question& box = prompter.warnings[0];
        EXPECT_EQ(box.title, "Configuration not read");
        EXPECT_EQ(box.text, std::string("The ") + document +
                                " sent by the device could not be read. The previous values "
                                "are kept.");
        if (std::string_view(reason) == kCutShort) {
            EXPECT_EQ(box.details, std::string("device settings: ") + kCutShort +
                                       "\ndevice state: " + kCutShort +
                                       "\nradio settings: " + kCutShort);
            continue;
        }
        EXPECT_TRUE(box.details.starts_with(std::string(document) + ": ")) << box.details;
        EXPECT_NE(box.details.find(reason), std::string::npos) << box.details;
    }
}

// A gateway that writes ISO-8859-1 without saying so: what the user types goes
// out, comes back in Latin-1, is shown as typed and goes out again as the same
// bytes, now with a declaration naming the encoding.
TEST_F(EndToEndTest, Latin1SettingsMakeTheRoundTrip) {
    SimGateway gateway({"--spoil", "latin1:query_setting"});
    std::vector<std::string> documents;
    QString apnShown;
    app.SetSheetRunner([&](BLPropertySheet& sheet) {
        auto* page = new MobileTestPage(app.Model());
        sheet.AddPage(page);
        sheet.show();
        ASSERT_TRUE(sheet.SetActivePage(sheet.PageCount() - 1));
        for (const char* band : {"5", "6"}) {
            page->apnEdit_->setText(QString::fromUtf8("caf\xc3\xa9"));
            page->bandEdit_->setText(band);
            page->SetModified(true);
            ASSERT_TRUE(sheet.ApplyPages());
            const std::vector<std::string> commands = gateway.ReceivedCommands();
            documents.push_back(commands[commands.size() - 2]);
        }
        apnShown = page->apnEdit_->text();
    });

    app.InitInstance(Options(gateway));
    EXPECT_TRUE(prompter.warnings.empty());
    ASSERT_EQ(documents.size(), 2u);
    // The first reply was plain ASCII, so read as UTF-8: no declaration.
    EXPECT_TRUE(documents[0].starts_with("<rci_request")) << documents[0];
    EXPECT_NE(documents[0].find("<apn>caf&#xE9;</apn>"), std::string::npos);
    EXPECT_TRUE(
        documents[1].starts_with("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<rci_request"))
        << documents[1];
    EXPECT_NE(documents[1].find("<apn>caf\xe9</apn>"), std::string::npos);
    EXPECT_EQ(apnShown, QString::fromUtf8("caf\xc3\xa9"));
}

TEST_F(EndToEndTest, GatewayGoneForGoodIsCancelledFromTheDialogAndEndsAtTheWarning) {
    SimGateway gateway({"--vanish-on", "AT+CGMI", "--vanish-for-good"});
    prompter.retryAnswers = {true};
    CancelPresser user;
    bool sheetShown = false;
    app.SetSheetRunner([&](BLPropertySheet&) { sheetShown = true; });

    EXPECT_EQ(app.InitInstance(Options(gateway)), BLApp::Outcome::NoDeviceInfo);

    // Cancelled in the first collection and again in the retried one.
    EXPECT_GE(user.presses, 2);
    EXPECT_EQ(user.waitingText.toStdString(),
              "Waiting for the R7 to come back on " + gateway.LinkPath() + "...");
    ASSERT_EQ(prompter.retryQuestions.size(), 2u);
    for (const FakePrompter::Question& question : prompter.retryQuestions)
        EXPECT_EQ(question.text, kSilentText);
    EXPECT_FALSE(sheetShown);
}

TEST_F(EndToEndTest, GatewayStillSilentAfterRetryIsAskedAboutAgain) {
    QTemporaryDir dir;
    const std::string link = dir.filePath(QStringLiteral("r7")).toStdString();
    auto gateway = std::make_unique<SimGateway>(
        std::vector<std::string>{"--link", link, "--silent-after", "0"});
    // On the second question the silent gateway is replaced by one that answers
    // (a new pseudo-terminal behind the same name).
    struct ReplacingPrompter : FakePrompter {
        std::function<void()> onSecondQuestion;
        bool AskRetry(const std::string& title, const std::string& text, const std::string& details,
                      MessageKind kind) override {
            if (retryQuestions.size() == 1)
                onSecondQuestion();
            return FakePrompter::AskRetry(title, text, details, kind);
        }
    } replacingPrompter;
    replacingPrompter.retryAnswers = {true, true};
    replacingPrompter.onSecondQuestion = [&] {
        gateway.reset();
        gateway = std::make_unique<SimGateway>(std::vector<std::string>{"--link", link});
    };
    BLApp retryingApp{replacingPrompter, clock};
    std::size_t questionsBeforeSheet = 0;
    int sheetRuns = 0;
    retryingApp.SetSheetRunner([&](BLPropertySheet&) {
        questionsBeforeSheet = replacingPrompter.retryQuestions.size();
        ++sheetRuns;
    });

    StartOptions options;
    options.discovery.explicitPort = link;
    EXPECT_EQ(retryingApp.InitInstance(options), BLApp::Outcome::SheetClosed);
    EXPECT_EQ(questionsBeforeSheet, 2u);
    EXPECT_EQ(sheetRuns, 1);
    for (const FakePrompter::Question& question : replacingPrompter.retryQuestions)
        EXPECT_EQ(question.text, kSilentText);
}

// Settings that could not be read at start-up leave nothing to apply: the
// user is told so and nothing at all goes to the gateway, not an empty or a
// partial document.
TEST_F(EndToEndTest, ApplyAfterUnreadableSettingsSendsNothing) {
    SimGateway gateway({"--spoil", "dtd:<query_setting></query_setting>"});
    std::size_t commandsAtStart = 0;
    std::size_t commandsAfterApply = 0;
    app.SetSheetRunner([&](BLPropertySheet& sheet) {
        commandsAtStart = gateway.ReceivedCommands().size();
        auto* page = new MobileTestPage(app.Model());
        sheet.AddPage(page);
        sheet.show();
        ASSERT_TRUE(sheet.SetActivePage(sheet.PageCount() - 1));
        page->apnEdit_->setText("typed");
        page->SetModified(true);
        EXPECT_FALSE(sheet.ApplyPages());
        EXPECT_TRUE(page->IsModified());
        commandsAfterApply = gateway.ReceivedCommands().size();
    });

    EXPECT_EQ(app.InitInstance(Options(gateway)), BLApp::Outcome::SheetClosed);
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].title, "Configuration not read");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text,
              "No configuration has been read from the device, so there is nothing to apply. "
              "Press Refresh on the Device Information page and try again.");
    EXPECT_EQ(commandsAfterApply, commandsAtStart);
}

TEST_F(EndToEndTest, APortThatGoesAwayWhileTheSheetIsIdleShowsDisconnectedAndIsReadAgain) {
    // Up three seconds, then gone for one (the simulator runs fifty times fast).
    SimGateway gateway({"--unplug-every", "150", "--vanish-for", "50000"});
    const std::string port = gateway.LinkPath();
    QString gone, back;
    bool refreshOffWhileGone = false;
    bool lastKnownWhileGone = false;
    std::size_t commandsBefore = 0;
    app.SetSheetRunner([&](BLPropertySheet& sheet) {
        sheet.show();
        auto* main = static_cast<MainPage*>(sheet.Page(0));
        auto* status = main->findChild<QLineEdit*>("Status");
        commandsBefore = gateway.ReceivedCommands().size();
        static_cast<void>(
            QTest::qWaitFor([&] { return status->text().startsWith("Disconnected"); }, 6000));
        gone = status->text();
        auto* imsi = main->findChild<QLineEdit*>("IMSI");
        lastKnownWhileGone =
            !imsi->isEnabled() && !imsi->text().isEmpty() &&
            main->findChild<QLabel*>("lastRead")->text().startsWith("Last known values, read at ");
        QPushButton* refresh = nullptr;
        for (QPushButton* button : main->findChildren<QPushButton*>())
            if (button->objectName() == "refresh")
                refresh = button;
        refreshOffWhileGone = refresh != nullptr && !refresh->isEnabled();
        static_cast<void>(
            QTest::qWaitFor([&] { return status->text().startsWith("Connected"); }, 4000));
        back = status->text();
        EXPECT_TRUE(refresh != nullptr && refresh->isEnabled());
        EXPECT_TRUE(imsi->isEnabled()) << "read again: current";
    });

    EXPECT_EQ(app.InitInstance(Options(gateway)), BLApp::Outcome::SheetClosed);
    EXPECT_EQ(gone.toStdString(), "Disconnected (" + port + ")");
    EXPECT_TRUE(refreshOffWhileGone);
    EXPECT_TRUE(lastKnownWhileGone) << "greyed, with the time they were read";
    EXPECT_EQ(back.toStdString(), "Connected (" + port + ")");
    // The device information was collected again from the gateway that came back.
    const std::vector<std::string> commands = gateway.ReceivedCommands();
    ASSERT_GT(commands.size(), commandsBefore);
    EXPECT_EQ(commands[commandsBefore], commands[0]) << "the collection starts over";
    EXPECT_TRUE(prompter.warnings.empty());
}

TEST_F(EndToEndTest, TheNoGatewayWarningClosesItselfWhenTheGatewayIsPluggedIn) {
    QTemporaryDir dir;
    const std::string link = dir.filePath(QStringLiteral("r7")).toStdString();
    WidgetPrompter person;
    BLApp startedEarly{person, clock};
    bool warningShown = false;
    std::unique_ptr<SimGateway> gateway;
    QTimer::singleShot(200, [&] {
        warningShown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
        gateway = std::make_unique<SimGateway>(std::vector<std::string>{"--link", link});
    });
    // Nobody presses anything; should the box stay, Cancel ends the test.
    QTimer::singleShot(8000, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->reject();
    });
    bool sheetRan = false;
    startedEarly.SetSheetRunner([&](BLPropertySheet&) { sheetRan = true; });
    StartOptions options;
    options.discovery.explicitPort = link;

    EXPECT_EQ(startedEarly.InitInstance(options), BLApp::Outcome::SheetClosed);
    EXPECT_TRUE(warningShown);
    EXPECT_TRUE(sheetRan);
}

// A change in the watched directories that brings no gateway is looked at
// once, not again every half second for as long as the warning stays.
TEST(NoGatewayWarningTest, EachChangeIsCheckedOnce) {
    struct CountingTrigger : AnswerTrigger {
        std::array<int, 2> pipe{};
        int checks = 0;
        int Descriptor() const override { return pipe[0]; }
        bool Happened() override {
            char drained = 0;
            static_cast<void>(::read(pipe[0], &drained, 1));
            return ++checks < 0;
        }
    } trigger;
    ASSERT_EQ(::pipe2(trigger.pipe.data(), O_NONBLOCK), 0);
    QTimer::singleShot(100, [&] { EXPECT_EQ(::write(trigger.pipe[1], "x", 1), 1); });
    QTimer::singleShot(1400, [] { QApplication::activeModalWidget()->close(); });

    EXPECT_FALSE(WidgetPrompter().AskRetryUntil("No R7", kSilentText, {}, trigger));
    EXPECT_EQ(trigger.checks, 1);
    ::close(trigger.pipe[0]);
    ::close(trigger.pipe[1]);
}

namespace {

// The letter after a single '&', lower case; none for "&&" or no '&'.
QChar Mnemonic(const QString& text) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("(?:^|[^&])(?:&&)*&([^&])")).match(text);
    return match.hasMatch() ? match.captured(1).at(0).toLower() : QChar();
}

// Whether a label in `page` names `field` or the composite control it is part of.
bool NamedByLabel(QWidget* page, const QWidget* field) {
    for (const QLabel* label : page->findChildren<QLabel*>()) {
        if (label->buddy() && (label->buddy() == field || label->buddy()->isAncestorOf(field)))
            return true;
    }
    return false;
}

}  // namespace

// Every field of every page is named for screen readers and the keyboard by a
// label (or an accessible name), and no two keys of a page, its menus and its
// buttons clash.
TEST_F(EndToEndTest, EveryFieldOnEveryPageIsNamedAndItsKeysDoNotClash) {
    SimGateway gateway;
    int pagesSeen = 0;
    app.SetSheetRunner([&](BLPropertySheet& sheet) {
        sheet.show();
        QApplication::setActiveWindow(&sheet);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
        QStringList sheetTexts;
        for (const QAction* menu : sheet.findChild<QMenuBar*>()->actions())
            sheetTexts += menu->text();
        for (const QPushButton* button :
             sheet.findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
            sheetTexts += button->text();
        for (int index = 0; index < sheet.PageCount(); ++index) {
            PropertyPage* page = sheet.Page(index);
            SCOPED_TRACE(page->Title().toStdString());
            sheet.SetActivePage(index);
            ++pagesSeen;
            // Tab leads from the tabs into the page, and from its last
            // control to the buttons.
            // Pages that read from the gateway on activation showed a
            // progress dialog, which took the activation.
            QApplication::setActiveWindow(&sheet);
            auto* tabBar = sheet.findChild<QTabBar*>();
            tabBar->setFocus();
            QTest::keyClick(tabBar, Qt::Key_Tab);
            EXPECT_TRUE(page->isAncestorOf(QApplication::focusWidget()));
            QWidget* last = sheet.previousInFocusChain();
            while (!page->isAncestorOf(last) || !last->isVisible())
                last = last->previousInFocusChain();
            last->setFocus();
            QTest::keyClick(last, Qt::Key_Tab);
            EXPECT_TRUE(qobject_cast<QPushButton*>(QApplication::focusWidget()) &&
                        !page->isAncestorOf(QApplication::focusWidget()));
            // Tab follows the buttons as they stand: Monitor... left of Refresh.
            if (auto* monitor = page->findChild<QPushButton*>("monitor")) {
                EXPECT_EQ(monitor->nextInFocusChain(), page->findChild<QPushButton*>("refresh"));
            }
            // Escape and Enter belong to the fields; Ctrl+PageDown turns the
            // page even from a drop-down list.
            if (QWidget* field = FirstEditableField(page)) {
                field->setFocus();
                for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
                    QTest::keyClick(field, key);
                EXPECT_TRUE(sheet.isVisible());
            }
            if (auto* list = page->findChild<QComboBox*>(); list && list->isVisibleTo(page)) {
                list->setFocus();
                QTest::keyClick(list, Qt::Key_PageDown, Qt::ControlModifier);
                EXPECT_EQ(sheet.ActivePage(), sheet.Page((index + 1) % sheet.PageCount()));
                sheet.SetActivePage(index);
                QApplication::setActiveWindow(&sheet);
            }
            for (QWidget* field : page->findChildren<QWidget*>()) {
                auto* box = qobject_cast<QCheckBox*>(field);
                const bool isField =
                    qobject_cast<QLineEdit*>(field) || qobject_cast<QComboBox*>(field) ||
                    qobject_cast<QAbstractItemView*>(field) || (box && box->text().isEmpty());
                // A drop-down list's own popup is named by the list.
                if (isField && field->window() == &sheet) {
                    EXPECT_TRUE(NamedByLabel(page, field) || !field->accessibleName().isEmpty())
                        << field->objectName().toStdString();
                }
            }
            QString keys;
            for (const QString& text : sheetTexts) {
                if (const QChar key = Mnemonic(text); !key.isNull())
                    keys += key;
            }
            for (const QWidget* widget : page->findChildren<QWidget*>()) {
                QString text;
                if (auto* label = qobject_cast<const QLabel*>(widget); label && label->buddy())
                    text = label->text();
                else if (auto* button = qobject_cast<const QAbstractButton*>(widget))
                    text = button->text();
                const QChar key = Mnemonic(text);
                EXPECT_TRUE(!key.isNull() || !qobject_cast<const QPushButton*>(widget))
                    << "no key for " << text.toStdString();
                if (key.isNull())
                    continue;
                EXPECT_FALSE(keys.contains(key))
                    << "clash on " << key.toLatin1() << " in " << text.toStdString();
                keys += key;
            }
        }
    });

    EXPECT_EQ(app.InitInstance(Options(gateway)), BLApp::Outcome::SheetClosed);
    EXPECT_EQ(pagesSeen, 9);
}
