#pragma once

#include <string>
#include <string_view>
#include <vector>

// How the gateway's modem is recognised on USB. Port discovery and the udev rule
// installed with the program both start from these, so the ports the program
// looks for are the ports the user is given access to. Both compare ignoring case.

// The manufacturer string the gateway's modem reports: the one identity
// confirmed on units, and the only one the program ships with.
inline constexpr std::string_view kGatewayManufacturer = "WAVECOM";

// Where an administrator lists further gateways by USB identity, for modems
// that report another manufacturer string or none: one "vendor:product" a
// line (four hexadecimal digits each), "#" starts a comment. Discovery reads
// it at every search; r7dashboard-udev-rules writes the udev rule for it.
inline constexpr char kGatewaysFile[] = "/etc/r7dashboard/gateways";

struct UsbId {
    std::string vendor;   // lower case
    std::string product;  // lower case
};

// The identities in such a list. Lines that are not a "vendor:product" pair
// are left out: a typing error must not match some other device.
std::vector<UsbId> ParseGatewayList(std::string_view text);

// The list in a file; none when it cannot be read (it is optional).
std::vector<UsbId> ReadGatewayList(const std::string& path);
