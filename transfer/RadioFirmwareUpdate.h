#pragma once

#include <string>

#include "link/ScriptRunner.h"
#include "model/ConfigModel.h"
#include "model/ReplyLoad.h"
#include "transfer/UploadRunner.h"

class Prompter;

enum class RadioFirmwareOutcome {
    NotSent,   // no file chosen, the file was refused or the user gave up; the user was told
    Installed  // the radio was told to install; the trees were read again
};

struct RadioFirmwareResult {
    RadioFirmwareOutcome outcome = RadioFirmwareOutcome::NotSent;
    // The gateway answered the install command with OK. Without it the radio
    // may run its old firmware: the command was refused, lost or unanswered.
    bool confirmed = false;
    // The radio settings were read again: the tree holds what the radio now
    // has. Without it, the tree is the one from before the update.
    bool radioReread = false;
    // Replies to the two queries that could not be read; their trees keep
    // their values, as do trees whose query failed.
    UnreadReplies unread;
};

// Updates the mesh radio's firmware from a local file: uploads it to
// /WEB/mesh/ with the digest check, has the radio install it, then reads the
// state and the radio settings again. The gateway does not report a failed
// install; the two reads tell what the radio now runs.
RadioFirmwareResult UpdateRadioFirmware(ScriptRunner& runner, UploadRunner& uploader,
                                        Prompter& prompter, ConfigModel& model,
                                        const std::string& localPath);
