// What each r7ctl command costs against its floor: the exchanges it sends,
// each of which waits out the link's 100 ms drain. A command that sends more
// than it needs, or waits longer than its exchanges, shows a ratio above 1.1.
// Runs the real r7ctl against the simulated gateway at its real pace; the
// program's own start (loading its libraries), timed with --version, is shown
// apart and left out of the ratio.
// r7ctl metrics is also timed in this process over a fake sysfs: eight
// gateways, sampled at the same time, against one.
// Run by hand; prints its figures.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "SimGateway.h"
#include "ctl/Ctl.h"
#include "tests/link/FakeSystem.h"

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

// Wall time of r7ctl metrics over the first `count` gateways, all found by
// discovery; negative when one did not answer.
double TimeMetrics(const std::vector<std::unique_ptr<SimGateway>>& gateways, std::size_t count) {
    FakeSystem system;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string tty = "ttyACM" + std::to_string(i);
        system.AddUsbTty(tty, {.manufacturer = "WAVECOM"}, tty, gateways[i]->LinkPath());
    }
    std::ostringstream out;
    std::ostringstream err;
    CtlEnvironment environment{out, err, nullptr, &Clock::System(), system.Options()};
    const auto start = std::chrono::steady_clock::now();
    const int status = RunCtl({"metrics", "--all"}, environment);
    const auto end = std::chrono::steady_clock::now();
    return status == 0 ? std::chrono::duration<double, std::milli>(end - start).count() : -1;
}

// Eight gateways against one: the best of three runs each.
bool CompareEightGatewaysWithOne() {
    std::vector<std::unique_ptr<SimGateway>> gateways;
    for (int i = 0; i < 8; ++i)
        gateways.push_back(
            std::make_unique<SimGateway>(std::vector<std::string>{"--time-scale", "1"}));
    double one = TimeMetrics(gateways, 1);
    double eight = TimeMetrics(gateways, 8);
    for (int i = 0; i < 2; ++i) {
        one = std::min(one, TimeMetrics(gateways, 1));
        eight = std::min(eight, TimeMetrics(gateways, 8));
    }
    if (one < 0 || eight < 0) {
        std::printf("metrics over eight gateways failed\n");
        return false;
    }
    std::printf("%-44s %9.0f %9.0f %6.2f (one gateway as the floor)\n", "metrics, 8 gateways",
                eight, one, eight / one);
    return eight / one <= kTarget;
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
        {"metrics"},
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
    over += !CompareEightGatewaysWithOne();
    std::printf("%d of %zu commands above the target ratio %.1f\n", over, commands.size() + 1,
                kTarget);
    return over == 0 ? 0 : 1;
}
