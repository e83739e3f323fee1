#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ctl/Ctl.h"
#include "ctl/ExitStatus.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "transfer/UploadWorker.h"

namespace {

// r7ctl as a separate process, on the real clock, its messages dropped.
pid_t StartCtl(const std::vector<std::string>& arguments) {
    std::vector<char*> argv = {const_cast<char*>(R7CTL_PATH)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        ::execv(R7CTL_PATH, argv.data());
        ::_exit(127);
    }
    return pid;
}

std::size_t DataBytes(const SimGateway& gateway) {
    std::size_t bytes = 0;
    for (const SimRecord& record : gateway.Records())
        bytes += record.kind == "data" ? record.bytes.size() : 0;
    return bytes;
}

// On a clock that runs ten times as fast: the modem queries' half-second
// deadlines stay well above the latency of a loaded machine.
int RunInProcess(const SimGateway& gateway, std::vector<std::string> arguments,
                 std::string* out = nullptr) {
    arguments.insert(arguments.end(), {"--port", gateway.LinkPath()});
    std::ostringstream text;
    std::ostringstream err;
    ScaledClock fast(10);
    CtlEnvironment environment{text, err, stderr, &fast, {}};
    environment.discovery.sysfsRoot = "/nonexistent";
    const int status = RunCtl(arguments, environment);
    if (out != nullptr)
        *out = text.str();
    if (status != kExitSuccess)
        ADD_FAILURE() << err.str();
    return status;
}

}  // namespace

// Stopped in the middle of an upload's data, r7ctl completes the announced
// length (the gateway would count the next run's commands as file data),
// closes the upload, removes the stored file, gives up the port and ends with
// 128 + the signal. The next r7ctl works at once.
TEST(CtlSignals, AStopDuringTheDataLeavesTheGatewayAndThePortUsable) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        // Paced at its real rate, the upload lasts seconds; the gateway must not
        // drop it as stalled meanwhile.
        SimGateway gateway({"--idle-timeout", "5000"});
        const std::string program = gateway.Directory() + "/big.py";
        constexpr std::size_t kLength = 60000;
        std::ofstream(program, std::ios::binary) << std::string(kLength, 'b');
        const pid_t ctl = StartCtl({"--port", gateway.LinkPath(), "python", "put", program});
        for (int i = 0; i < 5000 && DataBytes(gateway) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_GT(DataBytes(gateway), 0u);
        ASSERT_EQ(::kill(ctl, signal), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(ctl, &status, 0), ctl);

        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_EQ(DataBytes(gateway), kLength);
        const std::vector<std::string> sent = gateway.ReceivedCommands();
        const auto closing = std::find(sent.begin(), sent.end(), "AT&USBINTERFACE=18,60000\r\n");
        ASSERT_NE(closing, sent.end());
        EXPECT_EQ(closing + 1, std::find(sent.begin(), sent.end(),
                                         RemovalCommand(program, UploadTarget::PythonProgram)));
        std::string listed;
        EXPECT_EQ(RunInProcess(gateway, {"python", "ls"}, &listed), kExitSuccess);
        EXPECT_EQ(listed.find("big.py"), std::string::npos) << listed;
        EXPECT_EQ(RunInProcess(gateway, {"info"}), kExitSuccess);
    }
}
