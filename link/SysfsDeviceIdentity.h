#pragma once

#include <string>

#include "link/DeviceIdentity.h"

// A USB tty is known by what sysfs says of its USB device and interface
// (vendor, product, manufacturer, serial number, interface number): the same
// gateway coming back on its node keeps them, another device does not.
// A tty without a USB identity (a pseudo-terminal, a built-in UART) is known
// by its device number, owner and the change time of its node: a
// pseudo-terminal number freed and taken again gets a new node, created later.
class SysfsDeviceIdentity : public DeviceIdentity {
public:
    explicit SysfsDeviceIdentity(std::string sysfsRoot = "/sys");

    std::string Of(int descriptor) override;

private:
    std::string sysfsRoot_;
};
