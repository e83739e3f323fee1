#include "ctl/MetricsExposition.h"

#include <charconv>
#include <cstdio>
#include <functional>
#include <utility>

#include "model/CellularValues.h"

namespace {

using Labels = std::vector<std::pair<std::string, std::string>>;

// One sample of a family: its labels beyond the port, and its value.
struct Series {
    Labels labels;
    std::string value;
};

// A family's sample for one gateway; none when the gateway lacks the value.
using SeriesOf = std::function<std::optional<Series>(const GatewayMetrics&)>;

struct Family {
    std::string_view name;
    std::string_view help;
    SeriesOf series;
};

constexpr std::string_view kUpName = "r7_up";
constexpr std::string_view kLastSuccessName = "r7_last_success_timestamp_seconds";

std::string Number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

Series Value(int value, Labels labels = {}) {
    return {std::move(labels), std::to_string(value)};
}

// The length of the UTF-8 sequence at the start of `text`; 0 when it is none.
std::size_t Utf8Length(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

std::string LabelText(const std::string& port, const Labels& labels) {
    std::string text = "{port=\"" + EscapeLabelValue(port) + '"';
    for (const auto& [name, value] : labels)
        text += ',' + name + "=\"" + EscapeLabelValue(value) + '"';
    return text + '}';
}

const std::vector<Family>& Families() {
    static const std::vector<Family> families = {
        {kUpName,
         "1 when the gateway answered; 0 when it did not, was busy with another program or is "
         "absent (label reason).",
         [](const GatewayMetrics& gateway) {
             return gateway.Up() ? Value(1) : Value(0, {{"reason", gateway.downReason}});
         }},
        {"r7_signal_dbm", "The signal level the modem measured, in dBm.",
         [](const GatewayMetrics& gateway) -> std::optional<Series> {
             const std::optional<int> dbm = gateway.sample.Dbm();
             return gateway.Up() && dbm ? std::optional(Value(*dbm)) : std::nullopt;
         }},
        {"r7_signal_csq", "The signal as the modem's CSQ number (0 to 31).",
         [](const GatewayMetrics& gateway) -> std::optional<Series> {
             // 99 (no measurement) has no level: absent like an unread value.
             const bool level = gateway.sample.Dbm().has_value();
             return gateway.Up() && level ? std::optional(Value(*gateway.sample.csq))
                                          : std::nullopt;
         }},
        {"r7_registration_state",
         "The network registration as the modem's +CREG number; the label state says it in words.",
         [](const GatewayMetrics& gateway) -> std::optional<Series> {
             const std::optional<int>& state = gateway.sample.registration;
             if (!gateway.Up() || !state)
                 return std::nullopt;
             return Value(*state, {{"state", RegistrationWords(*state)}});
         }},
        {"r7_info", "The gateway's identity, in the labels; always 1.",
         [](const GatewayMetrics& gateway) -> std::optional<Series> {
             if (!gateway.Up())
                 return std::nullopt;
             return Value(1, {{"serial", gateway.serial},
                              {"product", gateway.product},
                              {"firmware", gateway.firmware},
                              {"modem_revision", gateway.modemRevision}});
         }},
        {"r7_scrape_duration_seconds", "How long sampling the gateway took.",
         [](const GatewayMetrics& gateway) {
             return Series{{}, Number(gateway.scrapeSeconds, 3)};
         }},
        {kLastSuccessName, "When the gateway last answered, in seconds since 1970 UTC.",
         [](const GatewayMetrics& gateway) -> std::optional<Series> {
             if (!gateway.lastSuccessSeconds)
                 return std::nullopt;
             return Series{{}, Number(*gateway.lastSuccessSeconds, 3)};
         }},
    };
    return families;
}

// Reads `"value"` at the start of `text` into *value, undoing the escapes;
// returns the length read, 0 when it is no quoted value.
std::size_t ReadQuoted(std::string_view text, std::string* value) {
    if (text.empty() || text[0] != '"')
        return 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '"')
            return i + 1;
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            *value += text[i] == 'n' ? '\n' : text[i];
        } else {
            *value += text[i];
        }
    }
    return 0;
}

// The port label and the value of one sample line of the family `name`.
std::optional<std::pair<std::string, double>> ReadSample(std::string_view line,
                                                         std::string_view name) {
    if (!line.starts_with(name) || line.substr(name.size()).substr(0, 1) != "{")
        return std::nullopt;
    std::string_view rest = line.substr(name.size() + 1);
    std::optional<std::string> port;
    while (!rest.empty() && rest[0] != '}') {
        const std::size_t equals = rest.find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        const std::string_view label = rest.substr(0, equals);
        std::string value;
        const std::size_t length = ReadQuoted(rest.substr(equals + 1), &value);
        if (length == 0)
            return std::nullopt;
        if (label == "port")
            port = std::move(value);
        rest.remove_prefix(equals + 1 + length);
        if (rest.starts_with(','))
            rest.remove_prefix(1);
    }
    if (!port || rest.size() < 2 || rest[1] != ' ')
        return std::nullopt;
    rest.remove_prefix(2);
    double value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc())
        return std::nullopt;
    return std::pair(std::move(*port), value);
}

}  // namespace

std::string EscapeLabelValue(std::string_view value) {
    std::string text;
    while (!value.empty()) {
        const std::size_t length = Utf8Length(value);
        if (length == 0) {
            text += "\xEF\xBF\xBD";
            value.remove_prefix(1);
            continue;
        }
        const char c = value[0];
        if (c == '\\' || c == '"')
            text += {'\\', c};
        else if (c == '\n')
            text += "\\n";
        else
            text += value.substr(0, length);
        value.remove_prefix(length);
    }
    return text;
}

std::string ExposeMetrics(const std::vector<GatewayMetrics>& gateways) {
    std::string text;
    for (const Family& family : Families()) {
        std::string samples;
        for (const GatewayMetrics& gateway : gateways) {
            if (const std::optional<Series> series = family.series(gateway)) {
                samples += std::string(family.name) + LabelText(gateway.port, series->labels) +
                           ' ' + series->value + '\n';
            }
        }
        // A family without samples is left out whole: HELP alone says nothing.
        if (samples.empty())
            continue;
        text += "# HELP " + std::string(family.name) + ' ' + std::string(family.help) + '\n';
        text += "# TYPE " + std::string(family.name) + " gauge\n" + samples;
    }
    return text;
}

std::map<std::string, std::optional<double>> ReadExposedGateways(std::string_view text) {
    std::map<std::string, std::optional<double>> gateways;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (const auto up = ReadSample(line, kUpName))
            gateways.try_emplace(up->first);
        if (const auto last = ReadSample(line, kLastSuccessName))
            gateways[last->first] = last->second;
    }
    return gateways;
}
