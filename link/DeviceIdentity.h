#pragma once

#include <string>

// Tells one serial device from another that may later be given the same
// node: a gateway that restarts while its node is free can find that node
// taken by another device or process, and nothing may be sent to that one.
class DeviceIdentity {
public:
    virtual ~DeviceIdentity() = default;

    // The identity of the device open on the descriptor; empty when it
    // cannot be told, which no later open can confirm.
    virtual std::string Of(int descriptor) = 0;

    // The system's: sysfs under /sys.
    static DeviceIdentity& System();
};
