#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/JsonText.h"
#include "link/BackgroundScriptRunner.h"
#include "model/CellularValues.h"
#include "model/SignalCsvWriter.h"
#include "model/SignalSample.h"

namespace {

constexpr char kLostText[] = "no answer from the R7 (waiting for it)";

std::string JsonOptional(const std::optional<int>& value) {
    return value ? std::to_string(*value) : "null";
}

std::optional<int> AccessTechnology(const SignalSample& sample) {
    return sample.network ? sample.network->accessTechnology : std::nullopt;
}

std::string JsonLine(const SignalSample& sample) {
    const std::optional<std::string> words =
        sample.lost || !sample.registration ? std::nullopt
                                            : std::optional<std::string>(sample.RegistrationText());
    return "{\"time\": " + JsonQuote(IsoUtcTime(sample.unixMs)) +
           ", \"answered\": " + (sample.lost ? "false" : "true") +
           ", \"signal\": " + JsonOptional(sample.csq) +
           ", \"signal_dbm\": " + JsonOptional(sample.Dbm()) +
           ", \"registration\": " + (words ? JsonQuote(*words) : "null") +
           ", \"registration_stat\": " + JsonOptional(sample.registration) +
           ", \"operator\": " + (sample.network ? JsonQuote(sample.network->name) : "null") +
           ", \"access_technology\": " + JsonOptional(AccessTechnology(sample)) + "}\n";
}

std::string HumanLine(const SignalSample& sample) {
    const std::string time = IsoUtcTime(sample.unixMs);
    if (sample.lost)
        return time + "  " + kLostText + '\n';
    const std::optional<int> dbm = sample.Dbm();
    const std::string level = dbm ? std::to_string(*dbm) + " dBm" : "unknown";
    const std::string csq = sample.csq ? std::to_string(*sample.csq) : "-";
    const std::string network = sample.network ? "  " + sample.OperatorText() : "";
    return time + "  " + level + "  CSQ " + csq + "  " + sample.RegistrationText() + network + '\n';
}

std::string Line(const CtlOptions& options, const SignalSample& sample) {
    if (options.json)
        return JsonLine(sample);
    if (options.csv)
        return SignalCsvRow(sample);
    return HumanLine(sample);
}

// The status of the last sample: a query the gateway refused or answered in
// a form it does not define fails the command, as it fails info.
int SampleStatus(const SignalSample& sample, std::ostream& err) {
    if (sample.lost)
        return kExitNoGateway;
    std::string missing;
    if (!sample.csq || !IsDefinedSignal(*sample.csq))
        missing = "signal (AT+CSQ)";
    if (!sample.registration || !IsDefinedRegistration(*sample.registration))
        missing += (missing.empty() ? "" : " and ") + std::string("registration (AT+CREG?)");
    if (missing.empty())
        return kExitSuccess;
    err << "r7ctl: the R7 did not report its " << missing << '\n';
    return kExitRefused;
}

}  // namespace

// Samples through the same runner the monitor uses: a gateway that goes away
// gives a line saying so (never a level of zero) and sampling carries on
// once it is back. Succeeds when the last sample holds both values.
int RunSignal(CtlCall& call) {
    if (call.options.json && call.options.csv) {
        call.environment.err << "r7ctl: --json and --csv exclude each other\n";
        return kExitUsage;
    }
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    BackgroundScriptRunner runner(session.Port());
    Clock& clock = *call.environment.clock;
    const std::uint64_t intervalMs =
        static_cast<std::uint64_t>(call.options.intervalSeconds) * 1000;
    if (call.options.csv)
        call.environment.out << SignalCsvHeader();
    SignalSample sample;
    for (int taken = 0; call.options.count == 0 || taken < call.options.count; ++taken) {
        const std::uint64_t start = clock.NowMs();
        sample = SampleSignal(runner, UnixNowMs());
        call.environment.out << Line(call.options, sample) << std::flush;
        if (call.options.count != 0 && taken + 1 == call.options.count)
            break;
        // The next sample is due an interval after this one began, not after its reply.
        // An interval past 49 days does not fit one sleep: it is slept in parts.
        for (std::uint64_t now = clock.NowMs(); now - start < intervalMs; now = clock.NowMs())
            clock.SleepMs(static_cast<std::uint32_t>(
                std::min<std::uint64_t>(intervalMs - (now - start), UINT32_MAX)));
    }
    return SampleStatus(sample, call.environment.err);
}
