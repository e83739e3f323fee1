#pragma once

#include <string>
#include <string_view>

// What the SIM says of itself when its IMSI cannot be read: it may be missing,
// or locked until the gateway unlocks it with the PIN (or the PUK, once the PIN
// was entered wrongly too often).
enum class SimState { Unknown, Ready, Absent, PinRequired, PukRequired };

// The query that asks the SIM for its state.
inline constexpr char kSimStateQuery[] = "AT+CPIN?\r\n";

// The state in the answer to kSimStateQuery: a refused query means no SIM
// (a modem answers ERROR or "+CME ERROR: 10" then); "+CPIN: READY" after a
// refused IMSI, and any other code (PIN2, PH-SIM PIN...), is a SIM that is
// not ready.
SimState ReadSimStateReply(bool refused, std::string_view payload);

// What the pages show in place of the IMSI: "No SIM Inserted", "SIM PIN
// required", "SIM PUK required (blocked)" or "SIM not ready".
std::string SimStateText(SimState state);

// The state for scripts: "ready", "absent", "pin-required", "puk-required" or
// "unknown".
std::string SimStateWord(SimState state);
