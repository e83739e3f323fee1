#include <optional>
#include <string>
#include <vector>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/JsonText.h"
#include "ctl/SettingPath.h"
#include "model/CellularValues.h"
#include "model/SimState.h"

namespace {

// One value of the report: what the gateway gave (none when it was not read)
// and, for the table, the text the device information page would show. A
// needed value fails the command when it was not read. The state's values are
// not needed (a state that was read may lack them), nor are derived ones: they
// say again what another field says, in other terms, and are none also when
// the gateway gave a value that has no such terms.
struct Field {
    std::string name;
    std::optional<std::string> value;
    bool number = false;
    std::string shown;
    bool needed = true;
};

Field StateField(GatewaySession& session, const std::string& name, const std::string& path) {
    std::optional<std::string> value = ReadSettingPath(session.Model().StateGroups(), path);
    return {name, value, false, value.value_or(""), false};
}

Field ModemText(const std::string& name, const std::optional<std::string>& value,
                const std::string& shown) {
    return {name, value, false, value ? *value : shown};
}

Field ModemNumber(const std::string& name, const std::optional<int>& value) {
    const std::optional<std::string> text =
        value ? std::optional<std::string>(std::to_string(*value)) : std::nullopt;
    return {name, text, true, text.value_or("")};
}

Field Derived(Field field) {
    field.needed = false;
    return field;
}

// The signal in dBm; "unknown" in the table when the gateway has no measurement.
Field SignalDbmField(const std::optional<int>& signal) {
    const std::optional<int> dbm = signal ? SignalDbm(*signal) : std::nullopt;
    Field field = Derived(ModemNumber("signal_dbm", dbm));
    if (signal && !dbm)
        field.shown = "unknown";
    return field;
}

Field RegistrationWordsField(const std::optional<int>& registration) {
    const std::optional<std::string> words =
        registration ? std::optional<std::string>(RegistrationWords(*registration)) : std::nullopt;
    return ModemText("registration", words, {});
}

// A SIM that is missing or locked has no IMSI or number to give: that is its
// state, not a failure. Only an IMSI query that got no answer leaves the SIM
// values needed.
Field SimValue(Field field, const std::optional<SimState>& sim) {
    field.needed = !sim || *sim == SimState::Ready;
    return field;
}

Field SimStateField(const std::optional<SimState>& sim) {
    const std::optional<std::string> word =
        sim ? std::optional<std::string>(SimStateWord(*sim)) : std::nullopt;
    return Derived(ModemText("sim", word, {}));
}

std::vector<Field> InfoFields(GatewaySession& session, const DeviceInfo& info) {
    const ModemReadings& read = session.Readings();
    return {
        StateField(session, "product", "device_info/model"),
        StateField(session, "firmware", "device_info/firmware"),
        SimStateField(read.sim),
        SimValue(ModemText("imsi", read.imsi, info.imsi), read.sim),
        StateField(session, "iccid", "mobile_stats/iccid"),
        SimValue(ModemText("phone_number", read.phoneNumber, info.phoneNumber), read.sim),
        ModemText("modem_manufacturer", read.manufacturer, {}),
        ModemText("modem_serial_number", read.serialNumber, {}),
        ModemText("modem_revision", read.revision, {}),
        ModemNumber("signal", read.signal),
        SignalDbmField(read.signal),
        RegistrationWordsField(read.registration),
        Derived(ModemNumber("registration_stat", read.registration)),
        StateField(session, "ip_address", "ppp_stats/ip_address"),
    };
}

void PrintJson(std::ostream& out, const std::string& port, const std::vector<Field>& fields) {
    out << "{\"port\": " << JsonQuote(port);
    for (const Field& field : fields) {
        out << ", " << JsonQuote(field.name) << ": ";
        if (!field.value)
            out << "null";
        else
            out << (field.number ? *field.value : JsonQuote(*field.value));
    }
    out << "}\n";
}

void PrintTable(std::ostream& out, const std::string& port, const std::vector<Field>& fields) {
    out << "port: " << port << '\n';
    for (const Field& field : fields)
        out << field.name << ": " << field.shown << '\n';
}

// The needed values the gateway did not give (refused, silent, or answered in
// another form).
std::string UnreadModemValues(const std::vector<Field>& fields) {
    std::string names;
    for (const Field& field : fields) {
        if (field.needed && !field.value)
            names += (names.empty() ? "" : ", ") + field.name;
    }
    return names;
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
    if (session.Readings().sim == SimState::PinRequired)
        call.environment.err << "r7ctl: the SIM wants its PIN; the gateway unlocks it with the "
                                "setting mobile_simple/pin\n";
    const std::string unread = UnreadModemValues(fields);
    if (!unread.empty())
        call.environment.err << "r7ctl: the gateway did not give: " << unread << '\n';
    return unread.empty() && !session.Questions().Failed() ? kExitSuccess : kExitRefused;
}
