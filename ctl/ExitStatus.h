#pragma once

// r7ctl's exit statuses, which scripts rely on.
enum ExitStatus : int {
    kExitSuccess = 0,
    kExitRefused = 1,    // the gateway refused, or a check failed
    kExitUsage = 2,      // the command line is wrong
    kExitNoGateway = 3,  // no gateway, several without --port, or the port is unusable
};
