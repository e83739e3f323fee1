#pragma once

#include <string>
#include <vector>

#include "link/ScriptRunner.h"
#include "model/ConfigModel.h"
#include "model/ReplyLoad.h"
#include "transfer/UploadRunner.h"

class Prompter;

// The whole-device scripts: each is one batch of jobs run through the runner,
// followed by the reloads its replies call for. A failed query reloads nothing
// and keeps the previous document; a reply that cannot be read comes back in
// the unread list, for the caller to report. None asks for confirmation;
// whoever calls them does that, if anyone.

struct InstallResult {
    // False when the gateway answered the install command with ERROR or the
    // command could not be written.
    bool installed = false;
    // False when the restarted gateway never answered the state query: what the
    // model holds is the state from before the install.
    bool back = false;
    UnreadReplies unread;  // the state reply, when it could not be read
};

// A step of a whole-device script that the gateway answered with ERROR. The
// script goes on as it always does (a refused restore still reboots); the
// refusal is what the caller must report.
enum class RefusedStep { FactoryDefaults, Configuration, Reboot };
using RefusedSteps = std::vector<RefusedStep>;

struct DeviceScriptResult {
    RefusedSteps refused;  // each step once, in the order of the script
    UnreadReplies unread;  // replies read back that could not be read
    // The reboot command met silence: nothing says the gateway restarted.
    bool rebootUnanswered = false;
    // The port went away after the reboot command: the gateway restarted.
    bool restarted = false;
    // The restarted gateway answered the last query of the script.
    bool back = false;
};

// Restores the factory defaults, reboots the gateway and reads both the
// settings and the state again.
DeviceScriptResult RestoreFactoryDefaults(ScriptRunner& runner, ConfigModel& model);

// Sends a whole configuration (the body of a document request, as
// SerializeForRequest makes it), reboots the gateway whether or not it took
// the configuration, and reads the settings again.
DeviceScriptResult RestoreConfiguration(ScriptRunner& runner, ConfigModel& model,
                                        const std::string& request);

// One restart command, confirmed by the port going away (an OK alone says the
// gateway took the command); nothing is read again.
DeviceScriptResult RebootDevice(ScriptRunner& runner);

// After a reboot whose port went away: waits, within the link's restart
// bound, for the gateway to be back and answer. False when it did not.
bool AwaitRestartedDevice(ScriptRunner& runner);

// Tells the user what the gateway refused and what that means for its
// settings (one warning box), then which replies could not be read. Says
// nothing for a script that went through.
void ReportDeviceScript(Prompter& prompter, const DeviceScriptResult& result);

// Makes the gateway install the firmware image already uploaded and verified,
// waits for it to restart and reads its state again, so that the new firmware
// version is known.
InstallResult InstallFirmware(ScriptRunner& runner, ConfigModel& model);

enum class FirmwareUpdateOutcome {
    NotSent,    // no file, the file was refused or the user gave up on a mismatch
    Installed,  // verified, installed, and the gateway's state read again
    Refused,    // verified, but the gateway answered the install with ERROR
    NotBack     // installed, but the gateway did not answer afterwards: its state is unknown
};

struct FirmwareUpdateResult {
    FirmwareUpdateOutcome outcome = FirmwareUpdateOutcome::NotSent;
    UnreadReplies unread;  // the state reply, when it could not be read
};

// The whole firmware update: the verified upload of the image (the user is
// told about a missing or refused file), then the install with its restart
// and the state reload. The caller reports the outcome.
FirmwareUpdateResult UpdateFirmware(ScriptRunner& runner, UploadRunner& uploader,
                                    Prompter& prompter, ConfigModel& model,
                                    const std::string& localPath);
