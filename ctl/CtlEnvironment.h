#pragma once

#include <cstdio>
#include <iostream>
#include <istream>
#include <ostream>
#include <string>

#include "link/Clock.h"
#include "link/PortDiscovery.h"

// Where r7ctl writes and what it runs on. main uses the process's streams, the
// real clock and the real /sys and /dev; tests put their own in.
struct CtlEnvironment {
    std::ostream& out;  // results
    std::ostream& err;  // messages
    std::FILE* progress = stderr;
    Clock* clock = &Clock::System();
    DiscoveryOptions discovery;    // explicitPort is set from --port
    std::istream* in = &std::cin;  // where "set PATH=-" reads its value
    // Set by the command when a script lost the gateway's port: a command that
    // failed then ends with kExitNoGateway.
    bool gatewayLost = false;
    // Set when the command log asked for could not be written whole: the
    // reason, for RunCtl to report.
    std::string logProblem = {};
};
