#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/CellularValues.h"

class ScriptRunner;

// One reading of the modem's signal and registration. A sample the gateway did
// not answer is lost: it has no values, and is shown as a gap, never as a
// level.
struct SignalSample {
    std::int64_t unixMs = 0;  // when it was taken, milliseconds since 1970 UTC
    bool lost = true;
    std::optional<int> csq;                  // as the modem gave it (99: no measurement)
    std::optional<int> registration;         // the +CREG state
    std::optional<NetworkOperator> network;  // none when the modem named none

    // The level in dBm; none when lost or not measured.
    std::optional<int> Dbm() const;
    // The registration state in words; empty when lost.
    std::string RegistrationText() const;
    // The operator and access technology in words; empty when none was named.
    std::string OperatorText() const;
};

// Asks the modem for its signal (AT+CSQ), registration (AT+CREG?) and
// operator (AT+COPS?) through the runner, one exchange after the other. The
// sample is lost when no query was answered.
SignalSample SampleSignal(ScriptRunner& runner, std::int64_t unixMs);

// "2026-12-09T18:20:51Z".
std::string IsoUtcTime(std::int64_t unixMs);

// Milliseconds since 1970 UTC now.
std::int64_t UnixNowMs();
