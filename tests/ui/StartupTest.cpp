#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/BLApp.h"
#include "app/BLPropertySheet.h"
#include "app/StartOptions.h"
#include "link/SerialDevice.h"
#include "tests/support/SimGateway.h"
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

// Plugging in cannot help a port that another program holds: the question
// itself says so, the details name the port.
TEST_F(StartupTest, PortHeldByAnotherProgramIsNamedInTheQuestion) {
    SimGateway gateway;
    SerialDevice holder;
    ASSERT_TRUE(holder.Open(gateway.LinkPath()));

    EXPECT_EQ(app.InitInstance(Options(gateway.LinkPath())), BLApp::Outcome::NoGateway);

    ASSERT_EQ(prompter.retryQuestions.size(), 1u);
    EXPECT_EQ(prompter.retryQuestions[0].text,
              "Another program holds the Linkhold R7's port open, for example ModemManager, r7ctl "
              "or a second copy of this program. Close that program, then press Retry.");
    EXPECT_NE(prompter.retryQuestions[0].details.find(gateway.LinkPath()), std::string::npos);
}

// A logout or kill ends the dashboard through its event loop: the port is
// given back with no exclusive flag left on it for the next user, and the
// status is 128 + the signal.
TEST(DashboardSignalsTest, EndingSignalsGiveThePortBackAndQuit) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        SimGateway gateway;
        const pid_t dashboard = ::fork();
        if (dashboard == 0) {
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, STDOUT_FILENO);
            ::dup2(quiet, STDERR_FILENO);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            // In the thread-sanitizer build the dashboard's own Qt is not
            // instrumented: its thread pool's hand-overs (images drawn for the
            // progress dialog) read as races. The in-process tests cover the
            // program's threads; this one is about signals.
            ::setenv("TSAN_OPTIONS", "report_bugs=0", 1);
            ::execl(R7DASHBOARD_PATH, "r7dashboard", "--port", gateway.LinkPath().c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Start-up's collection is eleven commands; the sheet follows.
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return gateway.ReceivedCommands().size() >= 11; }, 30000));
        QTest::qWait(300);
        ASSERT_EQ(::kill(dashboard, signal), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(dashboard, &status, 0), dashboard);

        ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself: " << status;
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        const int port = ::open(gateway.LinkPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(port, 0);
        int exclusive = -1;
        EXPECT_EQ(::ioctl(port, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0);
        ::close(port);
    }
}
