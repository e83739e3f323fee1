#include "model/SignalSample.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "link/ScriptRunner.h"
#include "model/CellularValues.h"

namespace {

// Both queries answer at once; half a second leaves room for a busy modem.
constexpr int kQueryTimeoutMs = 500;
constexpr char kProgressText[] = "Reading the signal...";

}  // namespace

std::optional<int> SignalSample::Dbm() const {
    return csq ? SignalDbm(*csq) : std::nullopt;
}

std::string SignalSample::RegistrationText() const {
    if (lost)
        return {};
    return RegistrationWords(registration.value_or(-1));
}

std::string SignalSample::OperatorText() const {
    return network ? ::OperatorText(*network) : std::string();
}

SignalSample SampleSignal(ScriptRunner& runner, std::int64_t unixMs) {
    JobList jobs;
    for (const char* query : {"AT+CSQ\r\n", "AT+CREG?\r\n", "AT+COPS?\r\n"})
        jobs.emplace_back(query, kProgressText, kQueryTimeoutMs);
    runner.Run(jobs);
    SignalSample sample;
    sample.unixMs = unixMs;
    sample.lost = std::ranges::none_of(jobs, &CommandJob::Answered);
    if (jobs[0].GetStatus() == CommandJob::kSucceeded)
        sample.csq = ReadSignalReply(jobs[0].GetResponse());
    if (jobs[1].GetStatus() == CommandJob::kSucceeded) {
        sample.registration = ReadRegistrationReply(jobs[1].GetResponse());
        if (sample.registration && !IsDefinedRegistration(*sample.registration))
            sample.registration.reset();
    }
    if (jobs[2].GetStatus() == CommandJob::kSucceeded)
        sample.network = ReadOperatorReply(jobs[2].GetResponse());
    return sample;
}

std::string IsoUtcTime(std::int64_t unixMs) {
    const std::time_t seconds = static_cast<std::time_t>(unixMs / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::int64_t UnixNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}
