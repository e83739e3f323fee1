#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>

#include "link/DialogScriptRunner.h"
#include "link/ModemPort.h"
#include "pages/SignalMonitorWindow.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/ui/FakePrompter.h"

namespace {

bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 300 && !done(); ++i)
        QTest::qWait(20);
    return done();
}

std::size_t Samples(const SignalMonitorWindow& window) {
    return window.History().Samples().size();
}

}  // namespace

// The monitor samples between the scripts people start, and a gateway that
// goes away is a lost sample and a waiting window, never a level.
TEST(SignalMonitorTest, SamplesNeverInterleaveWithAPageScriptAndALostGatewayIsAGap) {
    auto gateway = std::make_unique<SimGateway>(std::vector<std::string>{"--signal-walk"});
    ModemPort port;
    port.SetPortName(gateway->LinkPath());
    ASSERT_TRUE(port.Open());
    FakePrompter prompter;
    // Intervals pass twenty times as fast: the sampler is nearly always busy.
    ScaledClock fast(20);
    auto* window = new SignalMonitorWindow(port, prompter, fast);
    window->show();
    ASSERT_TRUE(WaitUntil([&] { return Samples(*window) >= 2; }));

    const std::vector<std::string> pageCommands = {"AT+CGMI\r\n", "AT+CGSN\r\n", "AT+CGMR\r\n",
                                                   "AT+CIMI\r\n", "AT+CNUM\r\n"};
    JobList jobs;
    for (const std::string& command : pageCommands)
        jobs.emplace_back(command, "Reading...", 500);
    DialogScriptRunner runner(port);
    runner.Run(jobs);
    for (const CommandJob& job : jobs)
        EXPECT_EQ(job.GetStatus(), CommandJob::kSucceeded) << job.GetCommand();
    const std::size_t afterScript = Samples(*window);
    ASSERT_TRUE(WaitUntil([&] { return Samples(*window) >= afterScript + 2; }));

    const std::vector<std::string> commands = gateway->ReceivedCommands();
    const auto start = std::find(commands.begin(), commands.end(), pageCommands.front());
    ASSERT_NE(start, commands.end());
    ASSERT_GE(commands.end() - start, static_cast<long>(pageCommands.size()));
    EXPECT_TRUE(std::equal(pageCommands.begin(), pageCommands.end(), start));
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (commands[i] == "AT+CSQ\r\n") {
            ASSERT_LT(i + 1, commands.size());
            EXPECT_EQ(commands[i + 1], "AT+CREG?\r\n") << "after command " << i;
        }
    }
    for (const SignalSample& sample : window->History().Samples())
        EXPECT_FALSE(sample.lost);

    gateway.reset();
    ASSERT_TRUE(WaitUntil([&] { return window->History().Samples().back().lost; }));
    EXPECT_FALSE(window->History().CurrentDbm());
    const auto* status = window->findChild<QLabel*>(QStringLiteral("monitorStatus"));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text().toStdString(), "Waiting for the R7...");
    window->close();
}
