#pragma once

#include <functional>
#include <string>

#include "link/ScriptRunner.h"
#include "model/ConfigModel.h"

enum class RadioFirmwareOutcome {
    NoFileChosen,    // the path is empty
    FileUnreadable,  // the path names no readable file
    NameRefused,     // the file name cannot travel in a command; see reason
    NotVerified,     // the user gave up after a failed digest check
    Updated          // the radio was told to update; the trees were read again
};

struct RadioFirmwareResult {
    RadioFirmwareOutcome outcome;
    std::string reason;  // why a name was refused
    // Which of the two trees were read again after the update.
    bool stateReloaded = false;
    bool radioReloaded = false;
};

// Sends the file to /WEB/mesh/<fileName> and checks the gateway's digest of it;
// false when the user gave up.
using VerifiedUploadStep =
    std::function<bool(const std::string& localPath, const std::string& fileName)>;

// The name the file has on the gateway: the local path after its last "/".
std::string RadioFirmwareFileName(const std::string& localPath);

// Updates the mesh radio's firmware from a local file: uploads and verifies it,
// has the radio install it, then reads the state and the radio settings
// again. A failed install is not reported by the gateway; the two reads tell
// what the radio now runs.
RadioFirmwareResult UpdateRadioFirmware(ScriptRunner& runner, ConfigModel& model,
                                        const std::string& localPath,
                                        const VerifiedUploadStep& upload);
