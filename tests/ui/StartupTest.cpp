#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "app/BLApp.h"
#include "app/BLPropertySheet.h"
#include "app/StartOptions.h"
#include "tests/support/TestClocks.h"
#include "tests/ui/FakePrompter.h"

namespace {

constexpr char kUndetectedTitle[] = "Unable to detect Linkhold R7";

std::string ReadFile(const QString& path) {
    std::ifstream file(path.toStdString());
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct StartupTest : testing::Test {
    QTemporaryDir dir;
    FakePrompter prompter;
    ManualClock clock;
    BLApp app{prompter, clock};
    int sheetRuns = 0;

    StartupTest() {
        app.SetSheetRunner([this](BLPropertySheet&) { ++sheetRuns; });
    }

    StartOptions Options(const std::string& port) {
        StartOptions options;
        options.discovery.explicitPort = port;
        options.logPath = dir.filePath(QStringLiteral("command.log")).toStdString();
        return options;
    }
};

}  // namespace

TEST_F(StartupTest, MissingGatewayAsksUntilTheUserCancels) {
    prompter.retryAnswers = {true};
    const StartOptions options = Options(dir.filePath(QStringLiteral("no-such-tty")).toStdString());

    EXPECT_EQ(app.InitInstance(options), BLApp::Outcome::NoGateway);

    ASSERT_EQ(prompter.retryQuestions.size(), 2u);
    for (const FakePrompter::Question& question : prompter.retryQuestions) {
        EXPECT_EQ(question.title, kUndetectedTitle);
        EXPECT_EQ(question.text,
                  "Please connect the power adapter to your Linkhold R7, then connect the R7 to "
                  "your computer using the supplied USB cable.");
        EXPECT_FALSE(question.details.empty()) << "the user is told why on this system";
    }
    EXPECT_EQ(sheetRuns, 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(options.logPath)));
}

TEST_F(StartupTest, DebugLogRecordsTheStartEvenWhenNoGatewayIsFound) {
    StartOptions options = Options(dir.filePath(QStringLiteral("no-such-tty")).toStdString());
    options.debugLog = true;

    app.InitInstance(options);

    const std::string log = ReadFile(QString::fromStdString(options.logPath));
    EXPECT_NE(log.find("Tarvel R7 Dashboard Version 1.0.20.0 STARTED AT "), std::string::npos);
    // It will hold the APN password and the SIM PIN.
    EXPECT_EQ(QFile::permissions(QString::fromStdString(options.logPath)),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    // A link in the log's place is not followed: the start goes unlogged.
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.txt"));
    ASSERT_TRUE(QFile::link(elsewhere, dir.filePath(QStringLiteral("linked.log"))));
    options.logPath = dir.filePath(QStringLiteral("linked.log")).toStdString();
    BLApp second{prompter, clock};
    second.InitInstance(options);
    EXPECT_FALSE(QFile::exists(elsewhere));

    // Nor is a named pipe, which would hold the start until someone read it.
    options.logPath = dir.filePath(QStringLiteral("pipe.log")).toStdString();
    ASSERT_EQ(::mkfifo(options.logPath.c_str(), 0600), 0);
    BLApp third{prompter, clock};
    third.InitInstance(options);
    EXPECT_FALSE(third.Log().IsOpen());
}
