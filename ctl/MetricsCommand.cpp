#include <libxml/parser.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/MetricsExposition.h"
#include "ctl/SettingPath.h"
#include "link/BackgroundScriptRunner.h"
#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "model/ConfigModel.h"
#include "model/DeviceInfoCollection.h"
#include "model/SignalSample.h"
#include "model/XmlDocument.h"
#include "transfer/WholeFileWrite.h"

namespace {

using LastSuccesses = std::map<std::string, std::optional<double>>;

// Ports open at the same time: as many as a stop signal can give back
// (SerialDevice holds that many).
constexpr std::size_t kGatewaysAtOnce = 8;

// Why a port could not be opened, as the reason label says it.
std::string OpenFailureReason(int error) {
    switch (error) {
        case EBUSY:
            return "busy";
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "absent";
        case EACCES:
        case EPERM:
            return "denied";
        default:
            return "open_failed";
    }
}

std::string DownText(const std::string& reason) {
    static const std::map<std::string, std::string> kTexts = {
        {"busy", "held by another program (not waited for)"},
        {"absent", "not attached"},
        {"denied", "permission denied"},
        {"no_answer", "no answer"},
    };
    const auto text = kTexts.find(reason);
    return text == kTexts.end() ? "cannot be opened" : text->second;
}

void KeepIdentity(const CollectionResult& identity, const ConfigModel& model,
                  GatewayMetrics& gateway) {
    gateway.serial = identity.read.serialNumber.value_or("");
    gateway.modemRevision = identity.read.revision.value_or("");
    gateway.product = ReadSettingPath(model.StateGroups(), "device_info/model").value_or("");
    gateway.firmware = ReadSettingPath(model.StateGroups(), "device_info/firmware").value_or("");
}

// One gateway, on its own port: a port held by another program is reported
// busy at once, and a gateway that goes away fails the exchanges at once;
// nothing here waits for a gateway.
void SampleGateway(GatewayMetrics& gateway, Clock& clock) {
    const std::uint64_t start = clock.NowMs();
    ModemPort port(clock);
    port.SetPortName(gateway.port);
    if (port.OpenConfigured()) {
        BackgroundScriptRunner runner(port);
        ConfigModel model;
        const CollectionResult identity = CollectIdentity(runner, model);
        // Taken after the identity, whose first exchange wakes the modem.
        gateway.sample = SampleSignal(runner, UnixNowMs());
        port.Close();
        if (gateway.sample.lost) {
            gateway.downReason = "no_answer";
        } else {
            KeepIdentity(identity, model, gateway);
            gateway.lastSuccessSeconds = static_cast<double>(gateway.sample.unixMs) / 1000.0;
        }
    } else {
        gateway.downReason = OpenFailureReason(port.LastOpenError());
    }
    gateway.scrapeSeconds = static_cast<double>(clock.NowMs() - start) / 1000.0;
}

// The gateways to sample: the --port one, or every one attached.
std::vector<std::string> ChosenPorts(const CtlCall& call) {
    const DiscoveryOptions& discovery = call.environment.discovery;
    if (!call.options.port.empty())
        return {NamedDevicePath(call.options.port, discovery.deviceDir)};
    std::vector<std::string> ports;
    for (const GatewayTty& tty : ListGateways(discovery, nullptr))
        ports.push_back(tty.stableName);
    return ports;
}

// The previous file's gateways; none when there is no such file yet (or
// what stands there is no file of ours: it is read without waiting).
LastSuccesses ReadPreviousFile(const std::string& path) {
    std::string content;
    ReadCappedFile(path, content);
    return ReadExposedGateways(content);
}

// A gateway before its sample: named by its port, with the reason it is down, if known.
GatewayMetrics DownGateway(const std::string& port, const std::string& reason) {
    GatewayMetrics gateway;
    gateway.port = port;
    gateway.downReason = reason;
    return gateway;
}

// Every chosen gateway sampled, all at the same time. Without --port, a
// gateway the previous file named that is no longer attached stays, absent.
std::vector<GatewayMetrics> SampleAll(const CtlCall& call, const LastSuccesses& previous) {
    std::vector<GatewayMetrics> gateways;
    for (const std::string& port : ChosenPorts(call))
        gateways.push_back(DownGateway(port, {}));
    // Their replies are parsed on several threads at once: libxml2 is set up
    // first, not by whichever thread comes first.
    xmlInitParser();
    for (std::size_t first = 0; first < gateways.size(); first += kGatewaysAtOnce) {
        std::vector<std::thread> threads;
        for (std::size_t i = first; i < std::min(first + kGatewaysAtOnce, gateways.size()); ++i) {
            threads.emplace_back(SampleGateway, std::ref(gateways[i]),
                                 std::ref(*call.environment.clock));
        }
        for (std::thread& thread : threads)
            thread.join();
    }
    const auto sampled = [&gateways](const std::string& port) {
        return std::ranges::any_of(gateways, [&](const auto& g) { return g.port == port; });
    };
    for (const auto& [port, lastSuccess] : previous) {
        if (call.options.port.empty() && !sampled(port))
            gateways.push_back(DownGateway(port, "absent"));
    }
    for (GatewayMetrics& gateway : gateways) {
        const auto before = previous.find(gateway.port);
        if (!gateway.Up() && before != previous.end())
            gateway.lastSuccessSeconds = before->second;
    }
    return gateways;
}

}  // namespace

// Exits 0 when every gateway answered; the exposition is written in any case,
// since r7_up tells which did not.
int RunMetrics(CtlCall& call) {
    const CtlOptions& options = call.options;
    std::ostream& err = call.environment.err;
    if (options.all && !options.port.empty()) {
        err << "r7ctl: --all and --port exclude each other\n";
        return kExitUsage;
    }
    // The gateways are sampled at the same time: one log would mix their exchanges.
    if (!options.logPath.empty() || options.verbose) {
        err << "r7ctl: metrics keeps no command log (--log, --verbose); use r7ctl signal\n";
        return kExitUsage;
    }
    const LastSuccesses previous =
        options.textfile.empty() ? LastSuccesses() : ReadPreviousFile(options.textfile);
    const std::vector<GatewayMetrics> gateways = SampleAll(call, previous);
    const std::string text = ExposeMetrics(gateways);
    if (options.textfile.empty()) {
        call.environment.out << text << std::flush;
    } else if (const int error =
                   WriteWholeFile(options.textfile, text, FileAccess::EveryoneReads)) {
        err << "r7ctl: cannot write " << options.textfile << ": " << std::strerror(error) << '\n';
        return kExitRefused;
    }
    int status = kExitSuccess;
    for (const GatewayMetrics& gateway : gateways) {
        if (!gateway.Up()) {
            err << "r7ctl: " << gateway.port << ": " << DownText(gateway.downReason) << '\n';
            status = kExitNoGateway;
        }
    }
    return status;
}
