#pragma once

#include "link/CommandJob.h"
#include "link/ScriptRunner.h"
#include "model/ConfigModel.h"
#include "model/DeviceInfo.h"
#include "model/ReplyLoad.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// The modem values one collection read from the gateway's own answers. A value
// is present only when its query was answered in its own form and, for the
// numbers, with a value inside their defined range; a refused, silent, late or
// foreign answer leaves it absent. The page's texts ("No SIM Inserted", "N/A")
// are no readings.
struct ModemReadings {
    std::optional<std::string> manufacturer;
    std::optional<std::string> serialNumber;
    std::optional<std::string> revision;
    std::optional<std::string> imsi;
    std::optional<std::string> phoneNumber;
    std::optional<int> signal;
    std::optional<int> registration;
    // Ready when the IMSI was read; after a refused IMSI, what the SIM said of
    // itself. None when the IMSI query got no answer.
    std::optional<SimState> sim;
};

// What a collection brought back.
struct CollectionResult {
    bool complete = true;  // false: the settings or state query got no answer
    UnreadReplies unread;  // configuration replies that came but could not be read
    ModemReadings read;
};

// The modem queries followed by the settings, state and radio settings queries.
JobList BuildDeviceInfoScript();

// The wake-up, the modem's identity queries (manufacturer, serial number,
// revision) and the state query (product, firmware): what names a gateway,
// leaving out its SIM's numbers and its settings.
JobList BuildIdentityScript();

// The wake-up followed by only the given configuration queries (kSettingsQuery,
// kStateQuery, kRadioSettingsQuery): what a task that needs no modem values
// sends.
JobList BuildConfigurationScript(std::initializer_list<std::string_view> queries);

// Reads a finished script into `info` and `model`. Not complete when the
// settings or state query got no answer or an empty one. A field changes only
// when its query was answered: a job that was not sent, met silence, or got an
// answer of another form keeps what was shown before. A refused "AT+CIMI"
// shows "No SIM Inserted", a refused "AT+CNUM" "N/A"; a refused "AT+CSQ" and a
// signal value outside 0 to 31 and 99 are shown as unknown (99).
CollectionResult ReadDeviceInfoResults(const JobList& jobs, ConfigModel& model, DeviceInfo& info);

// Runs the script and reads its results. When the IMSI was refused, asks the
// SIM for its state (kSimStateQuery) in a script of its own, and shows that
// state in place of the IMSI.
CollectionResult CollectDeviceInfo(ScriptRunner& runner, ConfigModel& model, DeviceInfo& info);

// Runs BuildIdentityScript and reads its results; complete as for the
// collection.
CollectionResult CollectIdentity(ScriptRunner& runner, ConfigModel& model);

// The wake-up and the IMSI query alone, followed by the SIM's state when the
// IMSI is refused: what a task that needs only the SIM's network sends.
ModemReadings CollectSimIdentity(ScriptRunner& runner, DeviceInfo& info);

// Runs BuildConfigurationScript and loads the replies into `model`; complete
// as for the collection (the trees not asked for are left as they were).
CollectionResult CollectConfiguration(ScriptRunner& runner, ConfigModel& model,
                                      std::initializer_list<std::string_view> queries);
