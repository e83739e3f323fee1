#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "ctl/ConsoleProgress.h"
#include "ctl/ConsolePrompter.h"
#include "ctl/ConsoleScriptRunner.h"
#include "ctl/ConsoleUploadRunner.h"
#include "ctl/CtlEnvironment.h"
#include "ctl/CtlOptions.h"
#include "link/CommandLog.h"
#include "link/ModemPort.h"
#include "model/ConfigModel.h"
#include "model/DeviceInfo.h"
#include "model/DeviceInfoCollection.h"

// One gateway for the length of one command: its port (found as the dashboard
// finds it, or named by --port), the command log, the runner and the trees.
class GatewaySession {
public:
    GatewaySession(const CtlOptions& options, CtlEnvironment& environment);
    // Tells the environment when a script lost the gateway's port.
    ~GatewaySession();
    GatewaySession(const GatewaySession&) = delete;
    GatewaySession& operator=(const GatewaySession&) = delete;

    // Finds and opens the gateway (nothing to do while it is open);
    // kExitUsage when --log's file could not be opened. Without --port, exactly one must be
    // attached: none or several is kExitNoGateway, with the reason or the list on err.
    int Open();

    // The device information collection, which also loads the three trees.
    // False (with a message on err) when the gateway did not answer it.
    bool Collect(DeviceInfo& info);

    // Open, then Collect: kExitSuccess, or the status the command ends with.
    int OpenAndCollect(DeviceInfo& info);

    // Open, then only the wake-up and the given configuration queries
    // (kSettingsQuery, kStateQuery): what a command that needs no modem
    // values sends. kExitSuccess, or the status the command ends with.
    int OpenAndQuery(std::initializer_list<std::string_view> queries);

    // The modem values the last Collect read.
    const ModemReadings& Readings() const { return readings_; }

    ScriptRunner& Runner() { return runner_; }
    UploadRunner& Uploader() { return uploader_; }
    ConsolePrompter& Questions() { return prompter_; }
    ConfigModel& Model() { return model_; }
    ModemPort& Port() { return port_; }

private:
    bool ChooseSingleGateway(DiscoveryOptions& discovery);
    void StartLog();

    const CtlOptions& options_;
    CtlEnvironment& environment_;
    ModemPort port_;
    CommandLog log_;
    std::string logProblem_;  // why --log's file could not be opened
    ConsoleProgress progress_;
    ConsoleScriptRunner runner_;
    ConsoleUploadRunner uploader_;
    ConsolePrompter prompter_;
    ConfigModel model_;
    ModemReadings readings_;
};
