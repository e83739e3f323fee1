#include "SimGateway.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

bool HasOption(const std::vector<std::string>& args, const std::string& name) {
    return std::find(args.begin(), args.end(), name) != args.end();
}

std::string OptionValue(const std::vector<std::string>& args, const std::string& name) {
    const auto found = std::find(args.begin(), args.end(), name);
    return found != args.end() && found + 1 != args.end() ? *(found + 1) : std::string();
}

std::string MakeTempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/r7sim-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    return pattern;
}

// Reads the simulator's first output line: the published path.
std::string ReadFirstLine(int fd, int timeoutMs) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        line.append(buffer, static_cast<std::size_t>(count));
    }
    const std::size_t end = line.find('\n');
    return end == std::string::npos ? std::string() : line.substr(0, end);
}

}  // namespace

SimGateway::SimGateway(std::vector<std::string> extraArgs)
    : dir_(MakeTempDir()), link_(dir_ + "/r7"), transcript_(dir_ + "/transcript.log") {
    std::vector<std::string> args = {R7SIM_PATH};
    const std::pair<const char*, std::string> defaults[] = {
        {"--link", link_}, {"--transcript", transcript_}, {"--time-scale", "0.02"}};
    for (const auto& [name, value] : defaults) {
        if (!HasOption(extraArgs, name)) {
            args.insert(args.end(), {name, value});
        }
    }
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    link_ = OptionValue(args, "--link");
    transcript_ = OptionValue(args, "--transcript");

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot create a pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    output_ = pipeFds[0];
    if (spawned != 0) {
        pid_ = -1;
        Stop();
        throw std::runtime_error("cannot start " + args[0]);
    }
    if (ReadFirstLine(output_, 10000) != link_) {
        Stop();
        throw std::runtime_error("r7sim did not publish " + link_);
    }
}

SimGateway::~SimGateway() {
    Stop();
}

void SimGateway::Stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        // A simulator that ignores the request must not hang the test run.
        for (int waited = 0; ::waitpid(pid_, &status, WNOHANG) == 0; waited += 10) {
            if (waited == 5000) {
                ::kill(pid_, SIGKILL);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
        // Asked to stop, the simulator ends cleanly; anything else (a sanitizer report, a
        // crash, a hang) is a fault of the run, even when the test itself saw nothing.
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            ADD_FAILURE() << "r7sim did not end cleanly (wait status " << status << ")";
        }
    }
    if (output_ >= 0) {
        ::close(output_);
        output_ = -1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::vector<SimRecord> SimGateway::Records() const {
    return SimTranscript::Load(transcript_);
}

std::string SimGateway::ReceivedBytes() const {
    std::string bytes;
    for (const SimRecord& record : Records()) {
        if (record.kind != "event") {
            bytes += record.bytes;
        }
    }
    return bytes;
}

std::vector<std::string> SimGateway::ReceivedCommands() const {
    std::vector<std::string> commands;
    for (const SimRecord& record : Records()) {
        if (record.kind == "command" || record.kind == "document" || record.kind == "data") {
            commands.push_back(record.bytes);
        }
    }
    return commands;
}

bool SimGateway::WaitForLink(bool present, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::filesystem::exists(link_) != present) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
