#pragma once

#include <string>

// The gateway's modem identity, SIM, signal and registration, as collected at
// start-up and on Refresh.
struct DeviceInfo {
    std::string statusText;
    std::string manufacturer;
    std::string serialNumber;
    std::string revision;
    std::string imsi;
    std::string phoneNumber;
    int signal = 0;
    int registration = 0;
};
