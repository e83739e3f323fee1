#include "model/DeviceInfoCollection.h"

#include <optional>
#include <string>
#include <string_view>

#include "model/ReplyRoutes.h"
#include "model/ReplyText.h"
#include "model/RequestDocuments.h"

namespace {

constexpr std::string_view kProgressText = "Collecting Device information...";
constexpr int kModemQueryTimeoutMs = 500;
constexpr int kConfigurationQueryTimeoutMs = 20000;

bool Contains(std::string_view text, std::string_view piece) {
    return text.find(piece) != std::string_view::npos;
}

// "+CNUM: "name","number",type": the number without its quotes.
std::string ReadPhoneNumber(const CommandJob& job) {
    if (job.GetStatus() == CommandJob::kFailed) {
        return "N/A";
    }
    std::string number = RemoveAll(job.GetResponse(), "+CNUM:");
    if (const std::size_t comma = number.find(','); comma != std::string::npos) {
        number.erase(0, comma + 1);
    }
    if (const std::size_t comma = number.find(','); comma != std::string::npos) {
        number.erase(comma);
    }
    return RemoveAll(number, "\"");
}

std::string ReadImsi(const CommandJob& job) {
    if (job.GetStatus() == CommandJob::kFailed) {
        return "No SIM Inserted";
    }
    return RemoveAll(RemoveAll(job.GetResponse(), "\n"), "\r");
}

// "+CSQ: 17,99" gives 17.
int ReadSignal(const std::string& response) {
    const std::string value = RemoveAll(response, "+CSQ: ");
    return LeadingInteger(std::string_view(value).substr(0, value.find(',')));
}

// "+CREG: 0,1" gives 1; a reply with one number gives that number.
int ReadRegistration(const std::string& response) {
    const std::string value = RemoveAll(response, "+CREG: ");
    const std::size_t comma = value.find(',');
    return LeadingInteger(comma == std::string::npos ? std::string_view(value)
                                                     : std::string_view(value).substr(comma + 1));
}

// Each job is classified once, by the first test its command passes. False
// ends the collection.
bool ReadJob(const CommandJob& job, ConfigModel& model, DeviceInfo& info, UnreadReplies& unread) {
    // The gateway did answer, with more than can be read: not a silent one.
    if (const std::optional<UnreadReply> cut = CutShortReply(job)) {
        unread.push_back(*cut);
        return true;
    }
    const std::string command = job.GetCommand();
    const std::string response = job.GetResponse();
    if (Contains(command, "AT+CGMI")) {
        info.manufacturer = response;
    } else if (Contains(command, "AT+CGSN")) {
        info.serialNumber = response;
    } else if (Contains(command, "AT+CNUM")) {
        info.phoneNumber = ReadPhoneNumber(job);
    } else if (Contains(command, "AT+CIMI")) {
        info.imsi = ReadImsi(job);
    } else if (Contains(command, "AT+CSQ")) {
        info.signal = ReadSignal(response);
    } else if (Contains(command, "AT+CREG")) {
        info.registration = ReadRegistration(response);
    } else if (Contains(command, "AT+CGMR")) {
        info.revision = response;
    } else if (Contains(command, InlineCommand(kSettingsQuery)) ||
               Contains(command, kSettingsQuery)) {
        if (response.empty()) {
            return false;
        }
        NoteUnread(model.LoadSettingsReply(response), unread);
    } else if (Contains(command, InlineCommand(kStateQuery))) {
        if (response.empty()) {
            return false;
        }
        // The state carries free text the gateway does not escape; a bare '&'
        // would make the whole reply unreadable.
        NoteUnread(model.LoadStateReply(RemoveAll(response, "&")), unread);
    } else if (Contains(command, InlineCommand(kRadioSettingsQuery))) {
        const ReplyLoad load = model.LoadRadioSettingsReply(response);
        // No answer at all means no radio to show, not a reply that failed.
        if (!response.empty()) {
            NoteUnread(load, unread);
        }
    }
    return true;
}

}  // namespace

JobList BuildDeviceInfoScript() {
    JobList jobs;
    for (const char* query : {"AT\r\n\r\n", "AT+CGMI\r\n", "AT+CGSN\r\n", "AT+CGMR\r\n",
                              "AT+CIMI\r\n", "AT+CSQ\r\n", "AT+CNUM\r\n", "AT+CREG?\r\n"}) {
        jobs.emplace_back(std::string(query), std::string(kProgressText), kModemQueryTimeoutMs);
    }
    for (const std::string_view request : {kSettingsQuery, kStateQuery, kRadioSettingsQuery}) {
        jobs.push_back(CommandJob(InlineCommand(request), std::string(kProgressText),
                                  kConfigurationQueryTimeoutMs));
    }
    return jobs;
}

CollectionResult ReadDeviceInfoResults(const JobList& jobs, ConfigModel& model, DeviceInfo& info) {
    CollectionResult result;
    for (const CommandJob& job : jobs) {
        if (job.GetCommand().empty()) {
            break;
        }
        if (!ReadJob(job, model, info, result.unread)) {
            result.complete = false;
            break;
        }
    }
    return result;
}

CollectionResult CollectDeviceInfo(ScriptRunner& runner, ConfigModel& model, DeviceInfo& info) {
    JobList jobs = BuildDeviceInfoScript();
    runner.Run(jobs);
    return ReadDeviceInfoResults(jobs, model, info);
}
