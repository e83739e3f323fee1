#include "app/StartOptions.h"

namespace {

constexpr std::string_view kDebugSwitch = "/debug";
constexpr std::string_view kPortOption = "--port";
constexpr std::string_view kPortAssignment = "--port=";

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
        } else if (argument.find(kDebugSwitch) != std::string::npos) {
            options.debugLog = true;
        }
    }
    return true;
}
