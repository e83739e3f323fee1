#pragma once

#include <string>
#include <vector>

#include "ctl/CtlEnvironment.h"
#include "ctl/CtlOptions.h"

class GatewaySession;
struct SettingValue;

// One run of one r7ctl command: the options, where to write, and the words
// after the command's name.
struct CtlCall {
    const CtlOptions& options;
    CtlEnvironment& environment;
    std::vector<std::string> args;
};

// Each returns an ExitStatus.
int RunPorts(CtlCall& call);
int RunInfo(CtlCall& call);
int RunGet(CtlCall& call);
int RunSet(CtlCall& call);
int RunDiff(CtlCall& call);
int RunApply(CtlCall& call);
int RunPythonList(CtlCall& call);
int RunPythonGet(CtlCall& call);
int RunPythonPut(CtlCall& call);
int RunPythonDigest(CtlCall& call);
int RunPythonRemove(CtlCall& call);
int RunBackup(CtlCall& call);
int RunRestore(CtlCall& call);
int RunReboot(CtlCall& call);
int RunFactoryReset(CtlCall& call);
int RunFirmware(CtlCall& call);
int RunRadioFirmware(CtlCall& call);
int RunMeshDiscover(CtlCall& call);
int RunSignal(CtlCall& call);
int RunMetrics(CtlCall& call);
int RunApn(CtlCall& call);

// Makes the gateway's settings equal to `wanted` as set does (reads them,
// sends only what differs, reads back and reports), opening the session
// unless it is open already.
int MakeSettings(CtlCall& call, GatewaySession& session, const std::vector<SettingValue>& wanted);
