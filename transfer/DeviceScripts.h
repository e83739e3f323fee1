#pragma once

#include <string>

#include "link/ScriptRunner.h"
#include "model/ConfigModel.h"

// The whole-device scripts: each is one batch of jobs run through the runner,
// followed by the reloads its replies call for. None asks for confirmation;
// whoever calls them does that, if anyone.

// What became of one document reload at the end of a script.
enum class Reload {
    NotRun,     // the query failed or never ran: the previous document stays
    Loaded,     // the document now holds what the gateway reported
    Unreadable  // a reply came but did not parse: the model holds no document
};

struct FactoryResetResult {
    Reload settings = Reload::NotRun;
    Reload state = Reload::NotRun;
};

struct InstallResult {
    // False when the gateway answered the install command with ERROR or the
    // command could not be written.
    bool installed = false;
    Reload state = Reload::NotRun;
};

// Restores the factory defaults, reboots the gateway and reads both the
// settings and the state again.
FactoryResetResult RestoreFactoryDefaults(ScriptRunner& runner, ConfigModel& model);

// Sends a whole configuration (the body of a document request, as
// SerializeForRequest makes it), reboots the gateway whether or not it took
// the configuration, and reads the settings again.
Reload RestoreConfiguration(ScriptRunner& runner, ConfigModel& model, const std::string& request);

// One restart command; nothing is read again.
void RebootDevice(ScriptRunner& runner);

// Makes the gateway install the firmware image already uploaded and verified,
// waits for it to restart and reads its state again, so that the new firmware
// version is known.
InstallResult InstallFirmware(ScriptRunner& runner, ConfigModel& model);
