#include <algorithm>
#include <cctype>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/JsonText.h"
#include "ctl/SettingPath.h"
#include "link/AsciiText.h"
#include "model/DeviceInfoCollection.h"
#include "model/ProviderDatabase.h"

namespace {

std::string Lower(std::string text) {
    std::ranges::transform(text, text.begin(), [](unsigned char c) {
        return static_cast<char>(c < 0x80 ? std::tolower(c) : c);
    });
    return text;
}

// The presets one of whose texts equals `wanted` (ignoring case); when none
// does, those that contain it. Everything for no text.
template <typename Texts>
std::vector<ApnPreset> Matching(const std::vector<ApnPreset>& presets, const std::string& wanted,
                                Texts texts) {
    if (wanted.empty())
        return presets;
    std::vector<ApnPreset> equal;
    std::vector<ApnPreset> containing;
    for (const ApnPreset& preset : presets) {
        for (const std::string& text : texts(preset)) {
            if (EqualsIgnoringAsciiCase(text, wanted)) {
                equal.push_back(preset);
                break;
            }
            if (Lower(text).find(Lower(wanted)) != std::string::npos) {
                containing.push_back(preset);
                break;
            }
        }
    }
    return equal.empty() ? containing : equal;
}

std::vector<ApnPreset> Chosen(const CtlOptions& options, std::vector<ApnPreset> presets) {
    presets = Matching(presets, options.provider,
                       [](const ApnPreset& p) { return std::vector<std::string>{p.provider}; });
    return Matching(presets, options.presetName, [](const ApnPreset& p) {
        return std::vector<std::string>{p.name, p.apn};
    });
}

// Presets that set the same values are one choice, whatever they are called.
bool OneChoice(const std::vector<ApnPreset>& presets) {
    std::set<std::tuple<std::string, std::string, std::string>> values;
    for (const ApnPreset& preset : presets)
        values.emplace(preset.apn, preset.username, preset.password);
    return values.size() == 1;
}

void PrintJson(std::ostream& out, const std::vector<ApnPreset>& presets) {
    out << '[';
    for (std::size_t i = 0; i < presets.size(); ++i) {
        const ApnPreset& p = presets[i];
        out << (i ? ", " : "") << "{\"country\": " << JsonQuote(p.country)
            << ", \"provider\": " << JsonQuote(p.provider) << ", \"name\": " << JsonQuote(p.name)
            << ", \"apn\": " << JsonQuote(p.apn) << ", \"username\": " << JsonQuote(p.username)
            << ", \"password\": " << JsonQuote(p.password) << ", \"plan\": " << JsonQuote(p.plan)
            << '}';
    }
    out << "]\n";
}

// One line a preset, in columns; "-" for an empty value.
void PrintTable(std::ostream& out, const std::vector<ApnPreset>& presets) {
    std::vector<std::vector<std::string>> rows = {
        {"COUNTRY", "PROVIDER", "NAME", "APN", "USERNAME", "PASSWORD", "PLAN"}};
    for (const ApnPreset& p : presets)
        rows.push_back({p.country, p.provider, p.name, p.apn, p.username, p.password, p.plan});
    std::vector<std::size_t> widths(rows.front().size(), 1);
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < row.size(); ++column) {
            const std::string cell = row[column].empty() ? "-" : row[column];
            line += cell + std::string(widths[column] - cell.size() + 2, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

// The presets of the network named by --mccmnc, or of the SIM's network,
// read from the gateway; kExitSuccess or the status to end with. `network`
// names where they come from, for messages.
int FindPresets(CtlCall& call, std::optional<GatewaySession>& session,
                const ProviderDatabase& database, std::vector<ApnPreset>& presets,
                std::string& network) {
    if (!call.options.mccmnc.empty()) {
        network = "network " + call.options.mccmnc;
        presets = database.ForNetwork(call.options.mccmnc);
        return kExitSuccess;
    }
    if (const int status = session->Open(); status != kExitSuccess)
        return status;
    DeviceInfo info;
    const ModemReadings read = CollectSimIdentity(session->Runner(), info);
    if (!read.imsi) {
        call.environment.err << "r7ctl: the SIM's network is not known ("
                             << (read.sim ? info.imsi : "no answer to AT+CIMI")
                             << "); name one with --mccmnc\n";
        return kExitRefused;
    }
    network = "the SIM's network (IMSI " + read.imsi->substr(0, 6) + "...)";
    presets = database.ForImsi(*read.imsi);
    return kExitSuccess;
}

}  // namespace

// Lists the internet access points of the providers on a network, and sets
// one through the same apply as set.
int RunApn(CtlCall& call) {
    const CtlOptions& options = call.options;
    std::ostream& err = call.environment.err;
    if (!options.mccmnc.empty() && !IsNetworkCode(options.mccmnc)) {
        err << "r7ctl: --mccmnc needs the network's MCC and MNC as five or six digits, not '"
            << options.mccmnc << "'\n";
        return kExitUsage;
    }
    const ProviderDatabase& database = ProviderDatabase::Installed();
    if (!database.Loaded()) {
        err << "r7ctl: " << database.Problem() << '\n';
        return kExitRefused;
    }
    // A network named on the command line is listed without a gateway.
    std::optional<GatewaySession> session;
    if (options.set || options.mccmnc.empty())
        session.emplace(options, call.environment);
    std::vector<ApnPreset> presets;
    std::string network;
    if (const int status = FindPresets(call, session, database, presets, network);
        status != kExitSuccess)
        return status;
    presets = Chosen(options, presets);
    if (presets.empty()) {
        err << "r7ctl: no provider in the database has an access point for " << network
            << (options.provider.empty() && options.presetName.empty() ? "" : " that matches")
            << '\n';
        return kExitRefused;
    }
    if (!options.set) {
        if (options.json)
            PrintJson(call.environment.out, presets);
        else
            PrintTable(call.environment.out, presets);
        return kExitSuccess;
    }
    if (!OneChoice(presets)) {
        err << "r7ctl: " << presets.size() << " access points match; choose one with --provider "
            << "and --name:\n";
        PrintTable(err, presets);
        return kExitRefused;
    }
    const ApnPreset& preset = presets.front();
    return MakeSettings(call, *session,
                        {{"mobile_simple/apn", preset.apn},
                         {"mobile_simple/username", preset.username},
                         {"mobile_simple/password", preset.password}});
}
