#pragma once

// Told, on the worker thread, when the link starts waiting for the gateway's
// port to come back (a failed write or read whose reopen failed) and when that
// wait is over, so that whoever shows the script can offer a way out.
class PortWaitListener {
public:
    virtual ~PortWaitListener() = default;
    virtual void WaitingForPort(bool waiting) = 0;
};
