#include "model/DeviceInfoCollection.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "model/CellularValues.h"
#include "model/ReplyRoutes.h"
#include "model/ReplyText.h"
#include "model/RequestDocuments.h"
#include "model/StrayAmpersands.h"

namespace {

constexpr std::string_view kProgressText = "Collecting Device information...";
constexpr int kModemQueryTimeoutMs = 500;
constexpr int kConfigurationQueryTimeoutMs = 20000;

// The first command after the port opens only wakes the modem; its answer
// means nothing.
constexpr char kWakeUpCommand[] = "AT\r\n\r\n";

// What names the modem, apart from its SIM's numbers.
constexpr const char* kModemIdentityQueries[] = {"AT+CGMI\r\n", "AT+CGSN\r\n", "AT+CGMR\r\n"};

CommandJob ModemJob(const char* query) {
    return CommandJob(query, std::string(kProgressText), kModemQueryTimeoutMs);
}

void AppendIdentityQueries(JobList& jobs) {
    for (const char* query : kModemIdentityQueries) {
        jobs.push_back(ModemJob(query));
    }
}

void AppendQueries(JobList& jobs, std::initializer_list<std::string_view> queries) {
    for (const std::string_view request : queries) {
        jobs.push_back(CommandJob(InlineCommand(request), std::string(kProgressText),
                                  kConfigurationQueryTimeoutMs));
    }
}

bool Contains(std::string_view text, std::string_view piece) {
    return text.find(piece) != std::string_view::npos;
}

// "+CNUM: "name","number",type": the number without its quotes. An answer
// without entries is no number; one of another form is no answer to AT+CNUM.
std::optional<std::string> ReadPhoneNumber(const std::string& response) {
    if (response.empty()) {
        return std::string();
    }
    if (!response.starts_with("+CNUM:")) {
        return std::nullopt;
    }
    std::string number = RemoveAll(response, "+CNUM:");
    if (const std::size_t comma = number.find(','); comma != std::string::npos) {
        number.erase(0, comma + 1);
    }
    if (const std::size_t comma = number.find(','); comma != std::string::npos) {
        number.erase(comma);
    }
    return RemoveAll(number, "\"");
}

// An IMSI is up to 15 decimal digits; anything else answered another command.
std::optional<std::string> ReadImsi(const std::string& response) {
    std::string imsi = RemoveAll(RemoveAll(response, "\n"), "\r");
    const bool digits = !imsi.empty() && imsi.size() <= 15 &&
                        imsi.find_first_not_of("0123456789") == std::string::npos;
    return digits ? std::optional<std::string>(std::move(imsi)) : std::nullopt;
}

constexpr int kUnknownSignal = 99;

// The identity queries have no form of their own, but an answer in the form
// of another query (a late one) is not theirs.
std::optional<std::string> ReadIdentity(const std::string& response) {
    for (const std::string_view foreign : {"+CSQ:", "+CREG:", "+CNUM:"}) {
        if (response.starts_with(foreign)) {
            return std::nullopt;
        }
    }
    return response;
}

// Stores a text the gateway sent in its own form, both as read and as shown.
void Keep(const std::optional<std::string>& value, std::optional<std::string>& read,
          std::string& shown) {
    if (value) {
        read = *value;
        shown = *value;
    }
}

// A modem query's answer. A refused query means something only for the SIM
// queries; every other failure leaves the field as it was.
void ReadModemJob(const CommandJob& job, const std::string& command, DeviceInfo& info,
                  ModemReadings& read) {
    const bool refused = job.GetStatus() == CommandJob::kFailed;
    const std::string response = job.GetResponse();
    if (Contains(command, "AT+CNUM")) {
        if (refused) {
            info.phoneNumber = "N/A";
        } else {
            Keep(ReadPhoneNumber(response), read.phoneNumber, info.phoneNumber);
        }
    } else if (Contains(command, "AT+CIMI")) {
        // Refused: no SIM, unless the SIM says more when asked (ReadSimState).
        if (refused) {
            read.sim = info.sim = SimState::Absent;
            info.imsi = SimStateText(SimState::Absent);
        } else if (const std::optional<std::string> imsi = ReadImsi(response)) {
            read.sim = info.sim = SimState::Ready;
            Keep(imsi, read.imsi, info.imsi);
        }
    } else if (refused && Contains(command, "AT+CSQ")) {
        // A modem that will not measure has no level: the last one is not current.
        info.signal = kUnknownSignal;
        info.signalRead = true;
    } else if (refused) {
        return;
    } else if (Contains(command, "AT+CGMI")) {
        Keep(ReadIdentity(response), read.manufacturer, info.manufacturer);
    } else if (Contains(command, "AT+CGSN")) {
        Keep(ReadIdentity(response), read.serialNumber, info.serialNumber);
    } else if (Contains(command, "AT+CSQ")) {
        if (const std::optional<int> signal = ReadSignalReply(response)) {
            read.signal = IsDefinedSignal(*signal) ? signal : std::nullopt;
            info.signal = read.signal.value_or(kUnknownSignal);
            info.signalRead = true;
        }
    } else if (Contains(command, "AT+CREG")) {
        if (const std::optional<int> registration = ReadRegistrationReply(response);
            registration && IsDefinedRegistration(*registration)) {
            read.registration = registration;
            info.registration = *registration;
            info.registrationRead = true;
        }
    } else if (Contains(command, "AT+CGMR")) {
        Keep(ReadIdentity(response), read.revision, info.revision);
    }
}

bool IsConfigurationQuery(const std::string& command) {
    return Contains(command, kSettingsQuery) || Contains(command, kStateQuery) ||
           Contains(command, kRadioSettingsQuery);
}

// Each job is classified once, by the first test its command passes. False
// ends the collection.
bool ReadJob(const CommandJob& job, ConfigModel& model, DeviceInfo& info,
             CollectionResult& result) {
    // The gateway did answer, with more than can be read: not a silent one.
    if (const std::optional<UnreadReply> cut = CutShortReply(job)) {
        result.unread.push_back(*cut);
        return true;
    }
    const std::string command = job.GetCommand();
    const std::string response = job.GetResponse();
    if (!IsConfigurationQuery(command)) {
        if (job.Answered()) {
            ReadModemJob(job, command, info, result.read);
        }
        return true;
    }
    // A document cut at a NUL byte is read as far as it goes: it does not
    // parse, and is reported as unreadable.
    const bool replied = (job.Answered() || job.CutAtNul()) && !response.empty();
    if (Contains(command, kSettingsQuery)) {
        if (!replied) {
            return false;
        }
        NoteUnread(model.LoadSettingsReply(response), result.unread);
    } else if (Contains(command, kStateQuery)) {
        if (!replied) {
            return false;
        }
        NoteUnread(model.LoadStateReply(RemoveStrayAmpersands(response)), result.unread);
    } else if (replied) {
        // No answer at all means no radio to show, not a reply that failed.
        NoteUnread(model.LoadRadioSettingsReply(response), result.unread);
    }
    return true;
}

// Asked only when the IMSI was refused: a gateway with a working SIM gets
// the collection's queries and no others. Without an answer the refusal
// stands for no SIM.
void ReadSimState(ScriptRunner& runner, DeviceInfo& info, ModemReadings& read) {
    if (read.sim != SimState::Absent)
        return;
    JobList jobs = {CommandJob(kSimStateQuery, std::string(kProgressText), kModemQueryTimeoutMs)};
    runner.Run(jobs);
    if (!jobs[0].Answered())
        return;
    read.sim = ReadSimStateReply(jobs[0].Refused(), jobs[0].GetResponse());
    info.sim = *read.sim;
    info.imsi = SimStateText(info.sim);
}

}  // namespace

JobList BuildDeviceInfoScript() {
    JobList jobs = {ModemJob(kWakeUpCommand)};
    AppendIdentityQueries(jobs);
    for (const char* query : {"AT+CIMI\r\n", "AT+CSQ\r\n", "AT+CNUM\r\n", "AT+CREG?\r\n"}) {
        jobs.push_back(ModemJob(query));
    }
    AppendQueries(jobs, {kSettingsQuery, kStateQuery, kRadioSettingsQuery});
    return jobs;
}

JobList BuildIdentityScript() {
    JobList jobs = {ModemJob(kWakeUpCommand)};
    AppendIdentityQueries(jobs);
    AppendQueries(jobs, {kStateQuery});
    return jobs;
}

JobList BuildConfigurationScript(std::initializer_list<std::string_view> queries) {
    JobList jobs = {ModemJob(kWakeUpCommand)};
    AppendQueries(jobs, queries);
    return jobs;
}

CollectionResult ReadDeviceInfoResults(const JobList& jobs, ConfigModel& model, DeviceInfo& info) {
    CollectionResult result;
    for (const CommandJob& job : jobs) {
        if (job.GetCommand().empty()) {
            break;
        }
        if (!ReadJob(job, model, info, result)) {
            result.complete = false;
            break;
        }
    }
    return result;
}

CollectionResult CollectDeviceInfo(ScriptRunner& runner, ConfigModel& model, DeviceInfo& info) {
    JobList jobs = BuildDeviceInfoScript();
    runner.Run(jobs);
    CollectionResult result = ReadDeviceInfoResults(jobs, model, info);
    ReadSimState(runner, info, result.read);
    return result;
}

ModemReadings CollectSimIdentity(ScriptRunner& runner, DeviceInfo& info) {
    JobList jobs = {CommandJob(kWakeUpCommand, std::string(kProgressText), kModemQueryTimeoutMs),
                    CommandJob("AT+CIMI\r\n", std::string(kProgressText), kModemQueryTimeoutMs)};
    runner.Run(jobs);
    ConfigModel unused;
    ModemReadings read = ReadDeviceInfoResults(jobs, unused, info).read;
    ReadSimState(runner, info, read);
    return read;
}

CollectionResult CollectIdentity(ScriptRunner& runner, ConfigModel& model) {
    JobList jobs = BuildIdentityScript();
    runner.Run(jobs);
    DeviceInfo unused;
    return ReadDeviceInfoResults(jobs, model, unused);
}

CollectionResult CollectConfiguration(ScriptRunner& runner, ConfigModel& model,
                                      std::initializer_list<std::string_view> queries) {
    JobList jobs = BuildConfigurationScript(queries);
    runner.Run(jobs);
    // The wake-up reads into no field.
    DeviceInfo unused;
    return ReadDeviceInfoResults(jobs, model, unused);
}
