#pragma once

#include <cstdint>

// Told, on the worker thread, when the link starts waiting for the gateway's
// port to come back (a failed write or read whose reopen failed) and when that
// wait is over, so that whoever shows the script can offer a way out.
class PortWaitListener {
public:
    virtual ~PortWaitListener() = default;
    virtual void WaitingForPort(bool waiting) = 0;
    // During a wait, after every short slice of it: how long the link has
    // waited since the port went away, on the link's clock, and how long
    // after that it gives up at the latest (it grows when a wait that began in
    // an install's read goes on in the next command's reopen loop).
    virtual void WaitedForPort(std::uint64_t /*waitedMs*/, std::uint64_t /*boundMs*/) {}
    // The wait ended because the port is back.
    virtual void PortBack() {}
};
