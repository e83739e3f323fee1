#pragma once

#include "link/CommandJob.h"
#include "link/ScriptRunner.h"
#include "model/ConfigModel.h"
#include "model/DeviceInfo.h"

// The modem queries followed by the settings, state and radio settings queries.
JobList BuildDeviceInfoScript();

// Reads a finished script into `info` and `model`. False when the settings or
// state reply is empty; the fields of the jobs before it are kept.
bool ReadDeviceInfoResults(const JobList& jobs, ConfigModel& model, DeviceInfo& info);

// Runs the script and reads its results.
bool CollectDeviceInfo(ScriptRunner& runner, ConfigModel& model, DeviceInfo& info);
