#include <string>
#include <utility>
#include <vector>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/JsonText.h"
#include "ctl/SettingPath.h"

namespace {

using Field = std::pair<std::string, std::string>;

std::string StateValue(GatewaySession& session, const std::string& path) {
    return ReadSettingPath(session.Model().StateGroups(), path).value_or("");
}

std::vector<Field> InfoFields(GatewaySession& session, const DeviceInfo& info) {
    return {
        {"product", StateValue(session, "device_info/model")},
        {"firmware", StateValue(session, "device_info/firmware")},
        {"imsi", info.imsi},
        {"iccid", StateValue(session, "mobile_stats/iccid")},
        {"phone_number", info.phoneNumber},
        {"modem_manufacturer", info.manufacturer},
        {"modem_serial_number", info.serialNumber},
        {"modem_revision", info.revision},
        {"signal", std::to_string(info.signal)},
        {"registration", std::to_string(info.registration)},
        {"ip_address", StateValue(session, "ppp_stats/ip_address")},
    };
}

void PrintJson(std::ostream& out, const std::string& port, const std::vector<Field>& fields) {
    out << "{\"port\": " << JsonQuote(port);
    for (const auto& [name, value] : fields) {
        const bool number = name == "signal" || name == "registration";
        out << ", " << JsonQuote(name) << ": " << (number ? value : JsonQuote(value));
    }
    out << "}\n";
}

void PrintTable(std::ostream& out, const std::string& port, const std::vector<Field>& fields) {
    out << "port: " << port << '\n';
    for (const auto& [name, value] : fields)
        out << name << ": " << value << '\n';
}

}  // namespace

int RunInfo(CtlCall& call) {
    GatewaySession session(call.options, call.environment);
    DeviceInfo info;
    if (const int status = session.OpenAndCollect(info); status != kExitSuccess)
        return status;
    const std::vector<Field> fields = InfoFields(session, info);
    if (call.options.json)
        PrintJson(call.environment.out, session.Port().PortName(), fields);
    else
        PrintTable(call.environment.out, session.Port().PortName(), fields);
    return kExitSuccess;
}
