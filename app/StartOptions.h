#pragma once

#include <string>
#include <vector>

#include "link/PortDiscovery.h"

// What the command line asks of start-up.
struct StartOptions {
    bool showHelp = false;     // print the usage and end, before any window
    bool showVersion = false;  // print the version and end, before any window
    bool debugLog = false;
    std::string logPath = "command.log";
    DiscoveryOptions discovery;
};

// Reads the arguments after the program name. "/debug" anywhere in them (also
// inside a longer argument, case-sensitive) turns the command log on;
// "--port DEVICE" or "--port=DEVICE" names the gateway's device; "--help"
// (or "-h") and "--version" ask for the usage or the version; the toolkit's
// own documented options, with their values, are left to the toolkit. False with *error set for
// any other argument or an option without its value.
bool ParseCommandLine(const std::vector<std::string>& arguments, StartOptions& options,
                      std::string* error);

// What --help prints.
const char* UsageText();
