#pragma once

#include <array>
#include <string_view>

// How the gateway's modem is recognised on USB. Port discovery and the udev rule
// installed with the program both read this one table, so the ports the program
// looks for are the ports the user is given access to. Both compare ignoring case.

// The manufacturer string the gateway's modem reports.
inline constexpr std::string_view kGatewayManufacturer = "WAVECOM";

struct UsbId {
    std::string_view vendor;
    std::string_view product;
};

// Gateways whose modem reports another manufacturer string (or none), known
// by their USB vendor and product. The entry below (the modem maker's vendor id)
// still has to be confirmed on a unit; add pairs here as field units turn up.
// A wrong pair costs little: a candidate must still open, and start-up then
// asks it for its device information before showing anything.
inline constexpr std::array kKnownGateways = {
    UsbId{"114f", "1234"},
};
