#pragma once

#include <cstdint>
#include <optional>
#include <string>

class ScriptRunner;

// One reading of the modem's signal and registration. A sample the gateway did
// not answer is lost: it has no values, and is shown as a gap, never as a
// level.
struct SignalSample {
    std::int64_t unixMs = 0;  // when it was taken, milliseconds since 1970 UTC
    bool lost = true;
    std::optional<int> csq;           // as the modem gave it (99: no measurement)
    std::optional<int> registration;  // the +CREG state

    // The level in dBm; none when lost or not measured.
    std::optional<int> Dbm() const;
    // The registration state in words; empty when lost.
    std::string RegistrationText() const;
};

// Asks the modem for its signal (AT+CSQ) and registration (AT+CREG?) through
// the runner, one exchange after the other. The sample is lost when neither
// query was answered.
SignalSample SampleSignal(ScriptRunner& runner, std::int64_t unixMs);

// "2026-12-09T18:20:51Z".
std::string IsoUtcTime(std::int64_t unixMs);

// Milliseconds since 1970 UTC now.
std::int64_t UnixNowMs();
