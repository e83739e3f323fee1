#pragma once

#include <string>

#include "model/SimState.h"

// The gateway's modem identity, SIM, signal and registration, as collected at
// start-up and on Refresh.
struct DeviceInfo {
    std::string statusText;
    std::string manufacturer;
    std::string serialNumber;
    std::string revision;
    std::string imsi;
    std::string phoneNumber;
    // Known once the IMSI was read or refused; `imsi` then says it in words.
    SimState sim = SimState::Unknown;
    int signal = 0;
    int registration = 0;
    // Whether `signal` and `registration` came from the gateway's answers at
    // some collection; until then they are only starting values, which the
    // lamps show but no text may claim as read.
    bool signalRead = false;
    bool registrationRead = false;
};
