// What each r7ctl command costs against its floor: the exchanges it sends,
// each of which waits out the link's 100 ms drain. A command that sends more
// than it needs, or waits longer than its exchanges, shows a ratio above 1.1.
// Runs the real r7ctl against the simulated gateway at its real pace; the
// program's own start (loading its libraries), timed with --version, is shown
// apart and left out of the ratio.
// Run by hand; prints its figures.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "SimGateway.h"

namespace {

constexpr double kDrainMs = 100.0;
constexpr double kTarget = 1.1;

// Wall time of one r7ctl run in milliseconds; negative when it failed.
double TimeRun(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), R7CTL_PATH);
    const auto start = std::chrono::steady_clock::now();
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (std::freopen("/dev/null", "w", stdout) == nullptr)
            ::_exit(127);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double TimeRun(const SimGateway& gateway, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"-q", "--port", gateway.LinkPath()});
    return TimeRun(std::move(arguments));
}

}  // namespace

int main() {
    SimGateway gateway({"--time-scale", "1"});
    const std::string desired = gateway.Directory() + "/desired.txt";
    std::ofstream(desired) << "mobile_simple/apn=internet.linkhold.example\n";
    const std::string program = gateway.Directory() + "/meter.py";
    std::ofstream(program) << "print('meter')\n";
    // Stored first, so that the measured put finds it unchanged.
    TimeRun(gateway, {"python", "put", program});

    const std::vector<std::vector<std::string>> commands = {
        {"get", "mobile_simple/apn"},
        {"set", "mobile_simple/apn=internet.linkhold.example"},
        {"diff", desired},
        {"apply", desired},
        {"backup", gateway.Directory() + "/backup.cfg"},
        {"python", "digest", "meter.py"},
        {"python", "put", program, "--if-changed"},
        {"python", "ls"},
        {"info"},
    };
    double startMs = TimeRun({"--version"});
    for (int i = 0; i < 4; ++i)
        startMs = std::min(startMs, TimeRun({"--version"}));
    std::printf("program start: %.0f ms (left out of the ratios)\n", startMs);
    int over = 0;
    std::printf("%-44s %9s %9s %6s\n", "command", "wall ms", "floor ms", "ratio");
    for (const std::vector<std::string>& command : commands) {
        const std::size_t before = gateway.ReceivedCommands().size();
        const double ms = TimeRun(gateway, command);
        const std::size_t exchanges = gateway.ReceivedCommands().size() - before;
        std::string name;
        for (const std::string& word : command)
            name += (name.empty() ? "" : " ") + word.substr(word.rfind('/') + 1);
        if (ms < 0) {
            std::printf("%-44s failed\n", name.c_str());
            ++over;
            continue;
        }
        const double floor = static_cast<double>(exchanges) * kDrainMs;
        const double ratio = (ms - startMs) / floor;
        over += ratio > kTarget;
        std::printf("%-44s %9.0f %9.0f %6.2f (%zu exchanges)\n", name.c_str(), ms, floor, ratio,
                    exchanges);
    }
    std::printf("%d of %zu commands above the target ratio %.1f\n", over, commands.size(), kTarget);
    return over == 0 ? 0 : 1;
}
