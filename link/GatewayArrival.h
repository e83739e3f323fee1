#pragma once

#include <cstdint>

#include "link/PortDiscovery.h"
#include "link/PortWatch.h"
#include "link/Prompter.h"

class Clock;

// Whether a gateway that discovery accepts has appeared: the port given on
// the command line, or a new tty (or by-id link) of a gateway. Watches the
// device directories from construction on, so that nothing plugged in after
// a failed discovery is missed.
class GatewayArrival : public AnswerTrigger {
public:
    explicit GatewayArrival(DiscoveryOptions options);

    int Descriptor() const override { return watch_.Descriptor(); }
    bool Happened() override;

    // Waits up to ms for a gateway to appear; true as soon as one has.
    bool WaitFor(Clock& clock, std::uint64_t ms);

private:
    DiscoveryOptions options_;
    PortWatch watch_;
};
