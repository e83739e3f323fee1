#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/BLPropertySheet.h"
#include "app/UserGuide.h"
#include "model/ConfigModel.h"
#include "pages/PropertyPage.h"
#include "tests/ui/FakePrompter.h"
#include "tests/ui/RecordingRunner.h"

namespace {

// A page that records what the sheet asks of it and, like an editing page,
// has its edits sent as settings.
class TestPage : public PropertyPage {
public:
    explicit TestPage(const QString& title) : PropertyPage(title) {}

    QEvent::Type ApplyRequest() const override { return WM_APPLY_CONFIGURATION; }

    int inits = 0;
    int activations = 0;
    int applies = 0;
    bool valid = true;
    bool editsValid = true;
    bool shownWhenLeaving = false;
    bool shownWhenApplying = false;
    std::vector<SentSetting> sends;

protected:
    void OnInitDialog() override { ++inits; }
    void OnSetActive() override { ++activations; }
    bool OnKillActive() override {
        shownWhenLeaving = isVisible();
        return valid;
    }
    bool OnApply() override {
        ++applies;
        shownWhenApplying = isVisible();
        NoteSent(sends);
        return editsValid;
    }
};

constexpr char kSettingsReply[] =
    "<rci_reply version='1.1'><query_setting><mobile_simple><apn>internet</apn>"
    "</mobile_simple></query_setting></rci_reply>";

struct PropertySheetTest : testing::Test {
    ConfigModel model;
    RecordingRunner runner;
    FakePrompter prompter;
    BLPropertySheet sheet{"Tarvel R7 Dashboard", model, runner, prompter};
    TestPage* first = new TestPage("First");
    TestPage* second = new TestPage("Second");
    TestPage* third = new TestPage("Third");

    PropertySheetTest() {
        sheet.AddPage(first);
        sheet.AddPage(second);
        sheet.AddPage(third);
        model.LoadSettingsReply(kSettingsReply);
    }

    // The gateway answers every job, the settings query with its settings.
    void AnswerEveryJob() {
        runner.answer = [](JobList& jobs) {
            for (CommandJob& job : jobs) {
                job.SetStatus(CommandJob::kSucceeded);
                job.SetAnswered(true);
                job.SetResponse(kSettingsReply);
            }
        };
    }

    QPushButton* Button(QDialogButtonBox::StandardButton which) {
        return sheet.findChild<QDialogButtonBox*>()->button(which);
    }
};

}  // namespace

TEST_F(PropertySheetTest, PagesComeAliveWhenFirstShownAndOnEachActivation) {
    EXPECT_EQ(first->inits, 0);
    sheet.show();
    EXPECT_EQ(sheet.ActivePage(), first);
    EXPECT_EQ(first->inits, 1);
    EXPECT_EQ(first->activations, 1);
    EXPECT_TRUE(sheet.SetActivePage(1));
    EXPECT_TRUE(sheet.SetActivePage(0));
    EXPECT_EQ(first->inits, 1);
    EXPECT_EQ(first->activations, 2);
    EXPECT_EQ(second->inits, 1);
    EXPECT_EQ(third->inits, 0);
    EXPECT_TRUE(first->IsActivePage());
    EXPECT_FALSE(second->IsActivePage());
}

TEST_F(PropertySheetTest, InvalidPageCannotBeLeft) {
    sheet.show();
    first->valid = false;
    EXPECT_FALSE(sheet.SetActivePage(1));
    EXPECT_EQ(sheet.ActivePage(), first);
    EXPECT_EQ(sheet.findChild<QTabWidget*>()->currentIndex(), 0);
    EXPECT_EQ(second->inits, 0);

    QTest::mouseClick(Button(QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(first->applies, 0);
    EXPECT_TRUE(runner.scripts.empty());
}

TEST_F(PropertySheetTest, PageBeingLeftStaysInViewWhileItDecides) {
    sheet.show();
    QTabBar* bar = sheet.findChild<QTabWidget*>()->tabBar();
    first->valid = false;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    EXPECT_TRUE(first->shownWhenLeaving);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(third->isVisible());
    EXPECT_EQ(bar->currentIndex(), 0);

    first->valid = true;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    EXPECT_TRUE(first->shownWhenLeaving);
    EXPECT_EQ(sheet.ActivePage(), third);
    EXPECT_TRUE(third->isVisible());
    EXPECT_EQ(third->activations, 1);
}

// The edits of every modified page go out in one document, whichever page is
// active; OK with nothing modified sends nothing; OK with edits the gateway
// did not confirm keeps the window and the edits.
TEST_F(PropertySheetTest, OkSendsTheEditsOfEveryModifiedPageOnce) {
    sheet.show();
    sheet.SetActivePage(1);
    sheet.SetActivePage(2);
    second->SetModified(true);
    third->SetModified(true);
    Button(QDialogButtonBox::Ok)->click();
    EXPECT_TRUE(sheet.isVisible()) << "the reload failed";
    EXPECT_TRUE(second->IsModified());
    EXPECT_TRUE(third->IsModified());
    ASSERT_EQ(runner.scripts.size(), 1u);

    // The gateway keeps the APN of its own: the user is told.
    AnswerEveryJob();
    second->sends = {{"mobile_simple/apn", "typed"}};
    third->sends = {{"mobile_simple/apn", "internet"}};
    prompter.warnings.clear();
    Button(QDialogButtonBox::Ok)->click();
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].text,
              "The device did not keep every value sent. It now holds:\n"
              "mobile_simple/apn = \"internet\" (sent: \"typed\")");
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(first->applies, 0);
    EXPECT_EQ(second->applies, 2);
    EXPECT_EQ(third->applies, 2);
    ASSERT_EQ(runner.scripts.size(), 2u);
    EXPECT_EQ(runner.scripts[1].at(0).GetCommand(), "at&usbinterface=22\r\n");
    EXPECT_FALSE(second->IsModified());

    sheet.show();
    Button(QDialogButtonBox::Ok)->click();
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(runner.scripts.size(), 2u);
}

// A modified page that refuses its values is shown, as the active page, and
// nothing is sent.
TEST_F(PropertySheetTest, ApplyShowsAModifiedPageThatRefusesItsValues) {
    sheet.show();
    sheet.SetActivePage(2);
    sheet.SetActivePage(0);
    third->SetModified(true);
    third->editsValid = false;
    Button(QDialogButtonBox::Apply)->click();
    EXPECT_TRUE(third->shownWhenApplying);
    EXPECT_EQ(sheet.ActivePage(), third);
    EXPECT_EQ(sheet.findChild<QTabWidget*>()->currentIndex(), 2);
    EXPECT_TRUE(third->IsModified());
    EXPECT_TRUE(runner.scripts.empty());
}

TEST_F(PropertySheetTest, ApplyIsEnabledWhileAPageIsModifiedAndKeepsTheSheetOpen) {
    AnswerEveryJob();
    sheet.show();
    QPushButton* apply = Button(QDialogButtonBox::Apply);
    EXPECT_FALSE(apply->isEnabled());
    first->SetModified(true);
    sheet.SetActivePage(1);
    second->SetModified(true);
    first->SetModified(false);
    EXPECT_TRUE(apply->isEnabled());

    apply->click();
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_FALSE(apply->isEnabled());
    EXPECT_EQ(second->applies, 1);
    EXPECT_EQ(runner.scripts.size(), 1u);
}

// The reloaded tree that cannot be read is reported after the apply.
TEST_F(PropertySheetTest, ApplyReportsAReloadThatCannotBeRead) {
    runner.answer = [](JobList& jobs) {
        for (CommandJob& job : jobs) {
            job.SetStatus(CommandJob::kSucceeded);
            job.SetAnswered(true);
            job.SetResponse("<rci_reply><query_setting>");
        }
    };
    QEvent settings(WM_APPLY_CONFIGURATION);
    QCoreApplication::sendEvent(&sheet, &settings);

    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].title, "Configuration not read");
    EXPECT_EQ(prompter.warnings[0].text,
              "The device settings sent by the device could not be read. The previous values "
              "are kept.");
    EXPECT_TRUE(prompter.warnings[0].details.starts_with("device settings: Premature end of data"))
        << prompter.warnings[0].details;
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(PropertySheetTest, CancelClosesWithoutApplying) {
    sheet.show();
    first->SetModified(true);
    prompter.confirmAnswers = {true};
    Button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(prompter.confirmations.size(), 1u);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_EQ(first->applies, 0);
}

// Ctrl+Q (Window > Quit) and the close button close at once with nothing
// modified, and ask first once a page holds changes; Cancel in the question
// keeps the sheet. Escape and Enter never close it.
TEST_F(PropertySheetTest, ClosingWithChangesNotAppliedAsksFirst) {
    const std::function<void()> closers[] = {
        [&] { QTest::keyClick(&sheet, Qt::Key_Q, Qt::ControlModifier); }, [&] { sheet.close(); }};
    for (const auto& close : closers) {
        sheet.show();
        QApplication::setActiveWindow(&sheet);
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(&sheet, key);
        EXPECT_TRUE(sheet.isVisible());
        first->SetModified(false);
        close();
        EXPECT_FALSE(sheet.isVisible());

        sheet.show();
        QApplication::setActiveWindow(&sheet);
        second->SetModified(true);
        prompter.confirmations.clear();
        close();
        ASSERT_EQ(prompter.confirmations.size(), 1u);
        EXPECT_EQ(prompter.confirmations[0].text, "Discard the changes not yet applied?");
        EXPECT_EQ(prompter.confirmations[0].details, "Discard");
        EXPECT_TRUE(sheet.isVisible());
        second->SetModified(false);
    }
}

TEST_F(PropertySheetTest, ApplyWithoutDocumentTellsTheUserAndSendsNothing) {
    model.Reset();
    QEvent radio(WM_APPLY_RADIO_CONFIGURATION);
    QCoreApplication::sendEvent(&sheet, &radio);
    QEvent settings(WM_APPLY_CONFIGURATION);
    QCoreApplication::sendEvent(&sheet, &settings);

    EXPECT_TRUE(runner.scripts.empty());
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_NE(prompter.messages[0].text.find("No configuration has been read from the device"),
              std::string::npos);
}

TEST_F(PropertySheetTest, WindowMenuOffersMinimizeAndAbout) {
    sheet.show();
    const QList<QAction*> menus = sheet.findChild<QMenuBar*>()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), "&Window");
    EXPECT_EQ(menus[1]->text(), "&Help");
    QList<QAction*> actions = menus[0]->menu()->actions();
    actions += menus[1]->menu()->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), "Minimize");
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "&Quit");
    EXPECT_EQ(actions[2]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(actions[3]->text(), "&About...");
    EXPECT_TRUE(sheet.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(sheet.windowType(), Qt::Window);

    // About runs its box modally over the sheet; look at it from inside that run.
    QString aboutTitle;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr)
            return;
        aboutTitle = box->windowTitle();
        EXPECT_EQ(box->parentWidget(), &sheet);
        box->close();
    });
    actions[3]->trigger();
    EXPECT_EQ(aboutTitle, "About Tarvel R7 Dashboard");
    EXPECT_TRUE(prompter.messages.empty());
    actions[0]->trigger();
    EXPECT_TRUE(sheet.isMinimized());
}

// F1 from a field of any page and Help > User Guide show the guide's first page; a
// guide that is missing, or a desktop that cannot show it, is reported instead.
TEST_F(PropertySheetTest, HelpKeyAndMenuOpenTheInstalledUserGuide) {
    std::vector<QUrl> opened;
    bool desktopShows = true;
    UserGuide::Install(sheet, prompter, [&](const QUrl& page) {
        opened.push_back(page);
        return desktopShows;
    });
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    sheet.SetActivePage(1);
    auto* field = new QLineEdit(second);
    field->show();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_F1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_regular_file(opened[0].toLocalFile().toStdString()))
        << opened[0].toString().toStdString();
    const QList<QAction*> menus = sheet.findChild<QMenuBar*>()->actions();
    QAction* guide = menus.last()->menu()->actions().value(0);
    ASSERT_NE(guide, nullptr);
    EXPECT_EQ(guide->text(), "&User Guide");
    desktopShows = false;
    guide->trigger();
    EXPECT_EQ(opened.size(), 2u);
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_NE(prompter.warnings[0].text.find("could not be shown"), std::string::npos);

    QWidget bare;
    UserGuide::Install(
        bare, prompter,
        [&](const QUrl& page) {
            opened.push_back(page);
            return true;
        },
        "/nonexistent/guide/index.html");
    bare.actions().value(0)->trigger();
    EXPECT_EQ(opened.size(), 2u);
    ASSERT_EQ(prompter.warnings.size(), 2u);
    EXPECT_NE(prompter.warnings[1].text.find("/nonexistent/guide/index.html was not found"),
              std::string::npos);
}

// A reload that never came (the query failed) keeps the edited values, and
// says they are not confirmed; one whose reply was cut short is an unreadable
// reply, reported as such alone.
TEST_F(PropertySheetTest, ApplyWhoseReloadFailedSaysTheValuesAreNotConfirmed) {
    QEvent settings(WM_APPLY_CONFIGURATION);
    QCoreApplication::sendEvent(&sheet, &settings);

    ASSERT_EQ(runner.scripts.size(), 1u);
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].title, "Tarvel R7 Dashboard");
    EXPECT_EQ(prompter.warnings[0].text,
              "The device did not send its configuration back after the apply, so the values "
              "shown are the ones entered, not confirmed by the device.");

    runner.answer = [](JobList& jobs) { jobs.back().SetCutShortBytes(100000); };
    QCoreApplication::sendEvent(&sheet, &settings);
    ASSERT_EQ(prompter.warnings.size(), 2u);
    EXPECT_EQ(prompter.warnings[1].title, "Configuration not read");
}
