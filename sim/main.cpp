#include <libxml/parser.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "DeviceData.h"
#include "Server.h"
#include "SimOptions.h"

namespace {

// A gateway without SIM or radio reports them missing in its state as well,
// and one without a working SIM has no mobile address.
void ApplyHardware(const SimOptions& options, DeviceData& device) {
    if (options.noRadio) {
        device.state.RemoveGroup("zigbee_state");
    }
    if (options.noSim)
        device.state.SetValue("mobile_stats", "iccid", "");
    // A locked SIM is read, but gives no access to the network.
    if (options.simCard != SimCard::Ready)
        device.state.SetValue("ppp_stats", "ip_address", "0.0.0.0");
}

// The stock device's files: those installed beside the program when it runs
// from an installation, else those of the sources it was built from.
std::string StockDataDir() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    const fs::path installed = program.parent_path() / R7SIM_INSTALLED_DATA_DIR;
    if (!error && fs::is_regular_file(installed / "settings.xml", error))
        return installed.lexically_normal().string();
    return R7SIM_DATA_DIR;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(SimUsage(), stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("r7sim " R7_VERSION);
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
    if (!device.Load(options.configDir, StockDataDir(), &error)) {
        std::fprintf(stderr, "r7sim: %s\n", error.c_str());
        return 1;
    }
    ApplyHardware(options, device);
    const int status = Server(options, device).Run();
    xmlCleanupParser();
    return status;
}
