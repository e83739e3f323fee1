#pragma once

#include "link/CommandJob.h"
#include "link/ScriptRunner.h"
#include "model/ConfigModel.h"
#include "model/DeviceInfo.h"
#include "model/ReplyLoad.h"

// What a collection brought back.
struct CollectionResult {
    bool complete = true;  // false: the settings or state reply was empty
    UnreadReplies unread;  // configuration replies that came but could not be read
};

// The modem queries followed by the settings, state and radio settings queries.
JobList BuildDeviceInfoScript();

// Reads a finished script into `info` and `model`. Not complete when the
// settings or state reply is empty; the fields of the jobs before it are kept.
CollectionResult ReadDeviceInfoResults(const JobList& jobs, ConfigModel& model, DeviceInfo& info);

// Runs the script and reads its results.
CollectionResult CollectDeviceInfo(ScriptRunner& runner, ConfigModel& model, DeviceInfo& info);
