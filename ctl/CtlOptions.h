#pragma once

#include <string>
#include <vector>

// What r7ctl's command line asks for. Options may stand anywhere on the line;
// the words that are not options are the command and its arguments. "-" alone
// is a word (standard input or output).
struct CtlOptions {
    std::string port;     // --port DEVICE: no discovery
    std::string logPath;  // --log FILE: the command log
    bool json = false;
    bool interactive = false;  // questions may wait for an answer on the terminal
    bool yes = false;          // confirms a whole-device operation
    bool help = false;
    bool version = false;         // --version alone: the program's version
    bool quiet = false;           // -q: no progress
    bool verbose = false;         // -v: the exchanges on standard error
    bool check = false;           // --check: report what would change, send no change
    bool ifChanged = false;       // --if-changed: upload only what differs
    bool list = false;            // --list: every setting the gateway reports
    bool showSecrets = false;     // --show-secrets: passwords and PINs in lists and -v
    bool noWait = false;          // reboot --no-wait: not for the gateway's return
    std::string firmwareVersion;  // firmware --version V: skip when already V
    bool set = false;             // apn --set: apply the chosen preset
    std::string mccmnc;           // apn --mccmnc DIGITS: another network than the SIM's
    std::string provider;         // apn --provider TEXT
    std::string presetName;       // apn --name TEXT
    int retries = 2;              // --retries N: upload attempts before a digest mismatch fails
    int waitSeconds = 0;
    bool csv = false;         // signal --csv
    int intervalSeconds = 2;  // signal --interval S
    int count = 0;  // signal --count N: 0 until stopped          // --wait SECONDS: for a gateway
                    // to be plugged in first
    bool all = false;      // metrics --all: every attached gateway
    std::string textfile;  // metrics --textfile FILE
    std::vector<std::string> words;
};

// False with *error set for an unknown option or a missing or bad value.
bool ParseCtlOptions(const std::vector<std::string>& arguments, CtlOptions& options,
                     std::string* error);
