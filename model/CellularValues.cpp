#include "model/CellularValues.h"

#include <algorithm>
#include <array>

#include "model/ReplyText.h"

namespace {

constexpr int kNoMeasurement = 99;
constexpr int kHighestSignal = 31;
constexpr int kLowestDbm = -113;

// The text after `prefix` when `reply` is of that form.
std::optional<std::string_view> AfterPrefix(std::string_view reply, std::string_view prefix) {
    if (!reply.starts_with(prefix))
        return std::nullopt;
    return reply.substr(prefix.size());
}

std::string_view WithoutLeadingSpaces(std::string_view text) {
    return text.substr(std::min(text.find_first_not_of(' '), text.size()));
}

// A number written without sign or quotes, after optional spaces.
bool StartsWithNumber(std::string_view text) {
    text = WithoutLeadingSpaces(text);
    return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

// "GSM", "LTE"... for the AcT numbers of 27.007; the number itself for others.
std::string AccessTechnologyWords(int act) {
    static constexpr std::array<const char*, 10> kWords = {
        "GSM",   "GSM Compact", "UMTS", "EDGE",       "HSDPA",
        "HSUPA", "HSPA",        "LTE",  "EC-GSM-IoT", "NB-IoT"};
    if (act < 0 || act >= static_cast<int>(kWords.size()))
        return "AcT " + std::to_string(act);
    return kWords[static_cast<std::size_t>(act)];
}

}  // namespace

std::optional<NetworkOperator> ReadOperatorReply(std::string_view reply) {
    const std::optional<std::string_view> value = AfterPrefix(reply, "+COPS:");
    if (!value)
        return std::nullopt;
    // <mode>,<format>,"<operator>": the name is the one quoted field, and
    // may itself hold commas.
    const std::size_t open = value->find('"');
    const std::size_t close = value->rfind('"');
    if (open == std::string_view::npos || close == open)
        return std::nullopt;
    std::string_view fields = value->substr(0, open);
    if (!fields.ends_with(','))
        return std::nullopt;
    fields.remove_suffix(1);
    // The field before the name (npos + 1: the only one).
    const std::string_view format = fields.substr(fields.rfind(',') + 1);
    NetworkOperator network;
    network.name = std::string(value->substr(open + 1, close - open - 1));
    network.numeric = WithoutLeadingSpaces(format).starts_with('2');
    const std::string_view after = value->substr(close + 1);
    if (after.starts_with(',') && StartsWithNumber(after.substr(1)))
        network.accessTechnology = LeadingInteger(after.substr(1));
    if (network.name.empty())
        return std::nullopt;
    return network;
}

std::string OperatorText(const NetworkOperator& network) {
    std::string text = network.name;
    const bool plmn = network.numeric && (text.size() == 5 || text.size() == 6) &&
                      text.find_first_not_of("0123456789") == std::string::npos;
    if (plmn)
        text = "MCC " + text.substr(0, 3) + " MNC " + text.substr(3);
    if (network.accessTechnology)
        text += " (" + AccessTechnologyWords(*network.accessTechnology) + ")";
    return text;
}

std::optional<int> ReadSignalReply(std::string_view reply) {
    const std::optional<std::string_view> value = AfterPrefix(reply, "+CSQ:");
    if (!value || !StartsWithNumber(*value))
        return std::nullopt;
    return LeadingInteger(value->substr(0, value->find(',')));
}

std::optional<int> ReadRegistrationReply(std::string_view reply) {
    const std::optional<std::string_view> value = AfterPrefix(reply, "+CREG:");
    if (!value)
        return std::nullopt;
    // <stat> follows <n> when there is one; location fields after <stat> are
    // quoted, so a second field that is no number means <n> was left out.
    std::string_view stat = *value;
    if (const std::size_t comma = value->find(','); comma != std::string_view::npos) {
        const std::string_view second = value->substr(comma + 1);
        if (!WithoutLeadingSpaces(second).starts_with('"'))
            stat = second;
    }
    if (!StartsWithNumber(stat))
        return std::nullopt;
    return LeadingInteger(stat.substr(0, stat.find(',')));
}

bool IsDefinedSignal(int signal) {
    return (signal >= 0 && signal <= kHighestSignal) || signal == kNoMeasurement;
}

bool IsDefinedRegistration(int registration) {
    return registration >= 0 && registration <= 5;
}

std::optional<int> SignalDbm(int signal) {
    if (signal < 0 || signal > kHighestSignal)
        return std::nullopt;
    return kLowestDbm + 2 * signal;
}

std::string SignalText(int signal) {
    const std::optional<int> dbm = SignalDbm(signal);
    if (!dbm)
        return "unknown";
    return std::to_string(*dbm) + " dBm (CSQ " + std::to_string(signal) + ")";
}

std::string RegistrationWords(int registration) {
    static constexpr std::array<const char*, 6> kWords = {
        "Not registered", "Registered, home network", "Searching", "Registration denied",
        "Unknown",        "Registered, roaming"};
    if (!IsDefinedRegistration(registration))
        return "Unknown";
    return kWords[static_cast<std::size_t>(registration)];
}
