#pragma once

#include <string_view>

// How the device information page turns the modem's values into lamps.

// Products whose name contains "R7R" have a three-lamp signal display.
bool HasThreeSignalLamps(std::string_view product);

// Lit signal bars for a signal value as the modem reports it (0..31, 99 = no
// measurement), on a three- or five-lamp display.
int LitSignalBars(int signal, bool threeLamps);

// The link lamp is dark only while the mobile address is the null address.
bool IsLinkLit(std::string_view ipAddress);
