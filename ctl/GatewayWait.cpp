#include "ctl/GatewayWait.h"

#include <cstdint>

#include "ctl/CtlEnvironment.h"
#include "ctl/CtlOptions.h"
#include "link/GatewayArrival.h"

bool WaitForGateway(const CtlOptions& options, CtlEnvironment& environment) {
    DiscoveryOptions discovery = environment.discovery;
    discovery.explicitPort = options.port;
    GatewayArrival arrival(discovery);
    const auto waitMs = static_cast<std::uint64_t>(options.waitSeconds) * 1000;
    if (arrival.WaitFor(*environment.clock, waitMs))
        return true;
    environment.err << "r7ctl: no gateway appeared within " << options.waitSeconds << " s\n";
    return false;
}
