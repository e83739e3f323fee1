#include <libxml/parser.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "DeviceData.h"
#include "Server.h"
#include "SimOptions.h"

namespace {

// A gateway without SIM or radio reports them missing in its state as well.
void ApplyHardware(const SimOptions& options, DeviceData& device) {
    if (options.noRadio) {
        device.state.RemoveGroup("zigbee_state");
    }
    if (options.noSim) {
        device.state.SetValue("mobile_stats", "iccid", "");
        device.state.SetValue("ppp_stats", "ip_address", "0.0.0.0");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(SimUsage(), stdout);
        return 0;
    }
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "r7sim: %s\n%s", error.c_str(), SimUsage());
        return 2;
    }
    xmlInitParser();
    DeviceData device;
    if (!device.Load(options.configDir, R7SIM_DATA_DIR, &error)) {
        std::fprintf(stderr, "r7sim: %s\n", error.c_str());
        return 1;
    }
    ApplyHardware(options, device);
    const int status = Server(options, device).Run();
    xmlCleanupParser();
    return status;
}
