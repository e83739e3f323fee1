#include "app/StartOptions.h"

namespace {

constexpr std::string_view kDebugSwitch = "/debug";
constexpr std::string_view kPortOption = "--port";
constexpr std::string_view kPortAssignment = "--port=";
constexpr std::string_view kHelpOption = "--help";
constexpr std::string_view kShortHelpOption = "-h";
constexpr std::string_view kVersionOption = "--version";

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, StartOptions& options,
                      std::string* error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // Device paths are matched apart from the switch, so a device under a
        // directory called "debug" does not turn the log on.
        if (argument == kPortOption) {
            if (i + 1 == arguments.size()) {
                *error = "--port needs a device, for example --port /dev/ttyACM0";
                return false;
            }
            options.discovery.explicitPort = arguments[++i];
        } else if (argument.starts_with(kPortAssignment)) {
            options.discovery.explicitPort = argument.substr(kPortAssignment.size());
        } else if (argument == kHelpOption || argument == kShortHelpOption) {
            options.showHelp = true;
        } else if (argument == kVersionOption) {
            options.showVersion = true;
        } else if (argument.find(kDebugSwitch) != std::string::npos) {
            options.debugLog = true;
        }
    }
    return true;
}

const char* UsageText() {
    return "Usage: r7dashboard [--port DEVICE] [/debug]\n"
           "Shows and changes the settings of a Linkhold R7 gateway attached over USB.\n"
           "\n"
           "  --port DEVICE  use this serial device (a /dev/serial/by-id link, or the path\n"
           "                 r7sim prints) instead of looking for the gateway\n"
           "  /debug         append every exchange with the gateway to command.log in the\n"
           "                 current directory\n"
           "  -h, --help     print this help and exit\n"
           "  --version      print the version and exit\n";
}
