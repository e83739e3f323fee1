#pragma once

#include <string>
#include <vector>

// What r7ctl's command line asks for. Options may stand anywhere on the line;
// the words that are not options are the command and its arguments.
struct CtlOptions {
    std::string port;     // --port DEVICE: no discovery
    std::string logPath;  // --log FILE: the command log
    bool json = false;
    bool interactive = false;  // questions may wait for an answer on the terminal
    bool yes = false;          // confirms a whole-device operation
    bool help = false;
    int retries = 2;      // --retries N: upload attempts before a digest mismatch fails
    int waitSeconds = 0;  // --wait SECONDS: for a gateway to be plugged in first
    std::vector<std::string> words;
};

// False with *error set for an unknown option or a missing or bad value.
bool ParseCtlOptions(const std::vector<std::string>& arguments, CtlOptions& options,
                     std::string* error);
