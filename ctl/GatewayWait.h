#pragma once

struct CtlEnvironment;
struct CtlOptions;

// --wait: waits up to the given seconds for the gateway (the --port device,
// or any attached gateway) to appear. False, with the reason on the error
// stream, when none did.
bool WaitForGateway(const CtlOptions& options, CtlEnvironment& environment);
