#include "ctl/GatewaySession.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "ctl/ExitStatus.h"
#include "model/DeviceInfoCollection.h"
#include "model/UnreadReport.h"

GatewaySession::GatewaySession(const CtlOptions& options, CtlEnvironment& environment)
    : options_(options),
      environment_(environment),
      port_(*environment.clock),
      // The progress bar would tear through the exchanges -v shows.
      progress_(options.quiet || options.verbose ? nullptr : environment.progress),
      runner_(port_, progress_),
      uploader_(port_, *environment.clock, progress_),
      prompter_(environment.err, options.retries, options.interactive) {
    if (!options.logPath.empty()) {
        if (log_.Open(options.logPath, &logProblem_))
            StartLog();
    } else if (options.verbose && environment.progress != nullptr &&
               log_.OpenDescriptor(::fileno(environment.progress))) {
        // A terminal or a job's output is read by others; the file of --log
        // is private.
        if (!options.showSecrets)
            log_.HideSecrets();
        StartLog();
    }
}

void GatewaySession::StartLog() {
    log_.WriteStartBlock("r7ctl", R7_VERSION, std::time(nullptr));
    port_.SetLog(&log_);
}

GatewaySession::~GatewaySession() {
    // An upload, which does not go through the script runner, loses it by
    // leaving it closed. (A failed Open ends with a status of its own.)
    if (runner_.LostPort() || !port_.IsOpen())
        environment_.gatewayLost = true;
    if (!options_.logPath.empty() && log_.WriteError() != 0)
        environment_.logProblem = options_.logPath + ": " + std::strerror(log_.WriteError());
    port_.Close();
    port_.SetLog(nullptr);
}

int GatewaySession::Open() {
    if (port_.IsOpen())
        return kExitSuccess;
    // A log that was asked for and cannot be kept is a wrong command line:
    // nothing goes to the gateway without it.
    if (!options_.logPath.empty() && !log_.IsOpen()) {
        environment_.err << "r7ctl: cannot open the command log " << options_.logPath << ": "
                         << logProblem_ << '\n';
        return kExitUsage;
    }
    DiscoveryOptions discovery = environment_.discovery;
    discovery.explicitPort = options_.port;
    if (discovery.explicitPort.empty() && !ChooseSingleGateway(discovery))
        return kExitNoGateway;
    std::string reason;
    if (!DiscoverPort(port_, discovery, {}, &reason)) {
        environment_.err << "r7ctl: " << reason << '\n';
        return kExitNoGateway;
    }
    return kExitSuccess;
}

bool GatewaySession::ChooseSingleGateway(DiscoveryOptions& discovery) {
    std::string reason;
    const std::vector<std::string> found = FindGatewayPorts(discovery, &reason);
    if (found.empty()) {
        environment_.err << "r7ctl: " << reason << '\n';
        return false;
    }
    if (found.size() > 1) {
        environment_.err << "r7ctl: " << found.size()
                         << " gateways are attached; choose one with --port:\n";
        for (const std::string& device : found)
            environment_.err << "  " << device << '\n';
        return false;
    }
    discovery.explicitPort = found.front();
    return true;
}

bool GatewaySession::Collect(DeviceInfo& info) {
    const CollectionResult result = CollectDeviceInfo(runner_, model_, info);
    readings_ = result.read;
    ReportUnreadReplies(prompter_, result.unread);
    if (result.complete)
        return true;
    environment_.err << "r7ctl: the gateway on " << port_.PortName()
                     << " did not answer the device information queries.\n";
    return false;
}

int GatewaySession::OpenAndQuery(std::initializer_list<std::string_view> queries) {
    if (const int status = Open(); status != kExitSuccess)
        return status;
    const CollectionResult result = CollectConfiguration(runner_, model_, queries);
    ReportUnreadReplies(prompter_, result.unread);
    if (result.complete)
        return kExitSuccess;
    environment_.err << "r7ctl: the gateway on " << port_.PortName()
                     << " did not answer the configuration query\n";
    return kExitRefused;
}

int GatewaySession::OpenAndCollect(DeviceInfo& info) {
    if (const int status = Open(); status != kExitSuccess)
        return status;
    return Collect(info) ? kExitSuccess : kExitRefused;
}
