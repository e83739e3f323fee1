#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/BLPropertySheet.h"
#include "model/ConfigModel.h"
#include "model/FileDigest.h"
#include "tests/link/TempDir.h"
#include "tests/support/WorkerUploadRunner.h"
#include "tests/ui/FakePrompter.h"
#include "tests/ui/RecordingRunner.h"
#include "tests/utils/LinkedGateway.h"
#include "transfer/PythonPage.h"

namespace {

constexpr char kSettingsReply[] =
    "<rci_reply version='1.1'><query_setting><python><state>off</state>"
    "<command>blink.py</command></python></query_setting></rci_reply>";

constexpr char kListReply[] =
    "<rci_reply><do_command target='file_system'><ls dir='/WEB/python'>"
    "<file name='blink.py' size='45'/><file name='a_very_long_program.py' size='1200'/>"
    "<file name='my program.py' size='9'/></ls></do_command></rci_reply>";

struct RecordingUploads : UploadRunner {
    std::vector<std::string> paths;
    UploadOutcome Upload(const std::string& localPath, UploadTarget) override {
        paths.push_back(localPath);
        return UploadOutcome::Sent;
    }
};

struct PythonPageTest : testing::Test {
    ConfigModel model;
    RecordingRunner runner;
    RecordingUploads uploader;
    FakePrompter prompter;
    BLPropertySheet sheet{"Tarvel R7 Dashboard", model, runner, prompter};
    PythonPage* page = new PythonPage(model, runner, uploader, prompter);
    std::string digestAnswer;

    PythonPageTest() {
        model.LoadSettingsReply(kSettingsReply);
        runner.answer = [this](JobList& jobs) {
            for (CommandJob& job : jobs) {
                const std::string command = job.GetCommand();
                job.SetResponse(command.find("<ls ") != std::string::npos   ? kListReply
                                : command.starts_with("at&usbinterface=41") ? digestAnswer
                                : command.find("<query_setting>") != std::string::npos
                                    ? kSettingsReply
                                    : "");
                job.SetStatus(CommandJob::kSucceeded);
                job.SetAnswered(true);
            }
        };
        sheet.AddPage(page);
        sheet.show();
    }

    QListWidget* Files() { return page->findChild<QListWidget*>("files"); }
    QPushButton* Button(const char* caption) { return page->findChild<QPushButton*>(caption); }
};

}  // namespace

TEST_F(PythonPageTest, ListShowsWholeNamesAndButtonsUseThem) {
    QListWidget* files = Files();
    ASSERT_EQ(files->count(), 3);
    EXPECT_EQ(files->item(0)->text().toStdString(), "blink.py                  45      ");
    EXPECT_EQ(files->item(1)->text().toStdString(), "a_very_long_program.py    1200    ");
    EXPECT_EQ(files->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(files->font().fixedPitch(), true);

    files->item(1)->setCheckState(Qt::Checked);
    files->item(2)->setCheckState(Qt::Checked);
    const std::size_t scriptsBefore = runner.scripts.size();
    prompter.confirmAnswers = {false, true};
    Button("Delete")->click();
    ASSERT_EQ(prompter.confirmations.size(), 1u);
    EXPECT_EQ(prompter.confirmations[0].text,
              "Delete a_very_long_program.py, my program.py from the R7?");
    EXPECT_EQ(runner.scripts.size(), scriptsBefore) << "Cancel deletes nothing";
    Button("Delete")->click();
    ASSERT_EQ(runner.scripts.size(), scriptsBefore + 1);
    const JobList& batch = runner.scripts.back();
    ASSERT_EQ(batch.size(), 4u);
    EXPECT_NE(batch[0].GetCommand().find("rm name='/WEB/python/a_very_long_program.py'"),
              std::string::npos);
    EXPECT_NE(batch[1].GetCommand().find("rm name='/WEB/python/my program.py'"), std::string::npos);
    // Refreshed: nothing checked any more.
    EXPECT_EQ(Files()->item(1)->checkState(), Qt::Unchecked);
}

TEST_F(PythonPageTest, AutoStartEditsMarkModifiedAndApplyFromTheActivePage) {
    auto* enable = page->findChild<QCheckBox*>("enable");
    auto* command = page->findChild<QLineEdit*>("commandLine");
    EXPECT_TRUE(enable->isVisibleTo(page));
    EXPECT_FALSE(enable->isChecked());
    EXPECT_EQ(command->text(), "blink.py");
    EXPECT_FALSE(page->IsModified());

    command->end(false);
    QTest::keyClicks(command, " --fast");
    EXPECT_TRUE(page->IsModified());
    enable->click();
    EXPECT_TRUE(page->IsModified());
    runner.scripts.clear();
    ASSERT_TRUE(sheet.ApplyPages());

    ASSERT_EQ(runner.scripts.size(), 1u);
    bool sent = false;
    for (const CommandJob& job : runner.scripts[0])
        sent |= job.GetCommand().find("<state>on</state><command>blink.py --fast</command>") !=
                std::string::npos;
    EXPECT_TRUE(sent);
    EXPECT_FALSE(page->IsModified());
}

TEST_F(PythonPageTest, ControlsOfMissingSettingsStayHidden) {
    model.LoadSettingsReply(
        "<rci_reply><query_setting><python><state>on</state></python>"
        "</query_setting></rci_reply>");
    PythonPage other(model, runner, uploader, prompter);
    other.Activate();
    EXPECT_TRUE(other.findChild<QCheckBox*>("enable")->isVisibleTo(&other));
    EXPECT_FALSE(other.findChild<QLineEdit*>("commandLine")->isVisibleTo(&other));
}

TEST_F(PythonPageTest, UploadUsesTheTypedPathAndRefreshesTheList) {
    TempDir dir;
    const std::string path = (dir.Path() / "typed.py").string();
    std::ofstream(path) << "print('typed')\n";
    digestAnswer = *DigestFile(path);
    auto* command = page->findChild<QLineEdit*>("commandLine");
    command->end(false);
    QTest::keyClicks(command, "x");
    Files()->item(0)->setCheckState(Qt::Checked);
    page->findChild<QLineEdit*>("uploadFile")->setText(QString::fromStdString(path));

    Button("Upload")->click();

    EXPECT_EQ(uploader.paths, std::vector<std::string>{path});
    EXPECT_TRUE(prompter.retryQuestions.empty());
    EXPECT_EQ(page->StatusText(), "typed.py uploaded and verified (15 bytes)");
    EXPECT_EQ(Files()->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(command->text(), "blink.pyx");  // the unsaved edit survives the refresh

    prompter.fileAnswers = {"/home/user/chosen.py"};
    Button("Browse...")->click();
    EXPECT_EQ(prompter.fileStartPaths.back(), path);  // opens at the file typed before
    EXPECT_EQ(page->findChild<QLineEdit*>("uploadFile")->text(), "/home/user/chosen.py");
    EXPECT_EQ(command->text(), "blink.pyx");
}

// A program chosen with Browse and removed before Upload is pressed: the page
// says so, and nothing more reaches the gateway.
TEST(PythonPageEndToEndTest, ProgramRemovedAfterBrowseIsRefusedAndNothingIsSent) {
    LinkedGateway gateway;
    ASSERT_TRUE(gateway.ready);
    WorkerUploadRunner uploader(gateway.port, gateway.clock);
    FakePrompter prompter;
    PythonPage page(gateway.model, gateway.runner, uploader, prompter);
    TempDir dir;
    const std::string path = (dir.Path() / "gone.py").string();
    std::ofstream(path) << "print('gone')\n";
    prompter.fileAnswers = {path};
    const auto press = [&page](const QString& caption) {
        for (QPushButton* button : page.findChildren<QPushButton*>())
            if (button->text() == caption)
                button->click();
    };
    press(QStringLiteral("Browse..."));
    std::filesystem::remove(path);
    const std::size_t before = gateway.sim.ReceivedCommands().size();

    press(QStringLiteral("Upload"));

    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].title, "Please enter a correct Filename");
    EXPECT_EQ(prompter.warnings[0].text, "Unable to open the python file to send.");
    EXPECT_TRUE(gateway.CommandsFrom(before).empty());
}
