#include "app/StartOptions.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

constexpr std::string_view kDebugSwitch = "/debug";
constexpr std::string_view kPortOption = "--port";
constexpr std::string_view kPortAssignment = "--port=";
constexpr std::string_view kHelpOption = "--help";
constexpr std::string_view kShortHelpOption = "-h";
constexpr std::string_view kVersionOption = "--version";

// The toolkit's documented options (its GUI and widget application classes
// and the X11 platform): those that take the next argument as their value,
// those that stand alone and those written with their value after '='. The
// toolkit reads them itself once the window system starts, and takes each
// with two dashes as well.
constexpr std::string_view kToolkitOptions[] = {
    "-platform",        "-platformpluginpath", "-platformtheme", "-plugin",
    "-qwindowgeometry", "-qwindowicon",        "-qwindowtitle",  "-session",
    "-display",         "-geometry",           "-style",         "-stylesheet"};
constexpr std::string_view kToolkitSwitches[] = {"-reverse", "-widgetcount", "-nograb", "-dograb",
                                                 "-sync"};
constexpr std::string_view kToolkitAssignments[] = {"-style=", "-stylesheet=", "-qmljsdebugger="};

// The one-dash form the toolkit lists.
std::string_view ToolkitForm(std::string_view argument) {
    return argument.starts_with("--") ? argument.substr(1) : argument;
}

bool IsToolkitOption(const std::string& argument) {
    return std::ranges::find(kToolkitOptions, ToolkitForm(argument)) != std::end(kToolkitOptions);
}

bool IsToolkitSwitch(const std::string& argument) {
    const std::string_view form = ToolkitForm(argument);
    return std::ranges::find(kToolkitSwitches, form) != std::end(kToolkitSwitches) ||
           std::ranges::any_of(kToolkitAssignments, [form](std::string_view prefix) {
               return form.starts_with(prefix) && form.size() > prefix.size();
           });
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, StartOptions& options,
                      std::string* error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // Device paths are matched apart from the switch, so a device under a
        // directory called "debug" does not turn the log on.
        const bool takesValue = argument == kPortOption || IsToolkitOption(argument);
        if (takesValue && i + 1 == arguments.size()) {
            *error = argument == kPortOption
                         ? "--port needs a device, for example --port /dev/ttyACM0"
                         : argument + " needs a value";
            return false;
        }
        if (argument == kPortOption) {
            options.discovery.explicitPort = arguments[++i];
        } else if (IsToolkitOption(argument)) {
            ++i;
        } else if (IsToolkitSwitch(argument)) {
            continue;
        } else if (argument.starts_with(kPortAssignment)) {
            options.discovery.explicitPort = argument.substr(kPortAssignment.size());
            if (options.discovery.explicitPort.empty()) {
                *error = "--port needs a device, for example --port=/dev/ttyACM0";
                return false;
            }
        } else if (argument == kHelpOption || argument == kShortHelpOption) {
            options.showHelp = true;
        } else if (argument == kVersionOption) {
            options.showVersion = true;
        } else if (argument.find(kDebugSwitch) != std::string::npos) {
            options.debugLog = true;
        } else {
            *error =
                (argument.starts_with('-') ? "unknown option " : "unexpected argument ") + argument;
            return false;
        }
    }
    return true;
}

const char* UsageText() {
    return "Usage: r7dashboard [--port DEVICE] [/debug]\n"
           "Shows and changes the settings of a Linkhold R7 gateway attached over USB.\n"
           "\n"
           "Options:\n"
           "  --port DEVICE  use this serial device (a /dev/serial/by-id link, or the path\n"
           "                 r7sim prints) instead of looking for the gateway\n"
           "  /debug         append every exchange with the gateway to command.log in the\n"
           "                 current directory\n"
           "  -h, --help     print this help and exit\n"
           "  --version      print the version and exit\n"
           "The toolkit's own options (-platform, -style, -session, -reverse and the\n"
           "others Qt documents) are passed on to it, with their values.\n";
}
