#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/InputFiles.h"
#include "ctl/JsonText.h"
#include "ctl/SettingPath.h"
#include "link/LinkMessages.h"
#include "model/RequestDocuments.h"
#include "model/UnreadReport.h"
#include "transfer/ConfigBackup.h"
#include "transfer/DeviceScripts.h"
#include "transfer/RadioFirmwareUpdate.h"

namespace {

// The file and the problem; the dialog's caption says nothing more.
int Report(CtlCall& call, const std::string& path, const ProblemText& problem,
           const std::string& details) {
    call.environment.err << "r7ctl: " << path << ": " << problem.text << '\n';
    if (!details.empty())
        call.environment.err << details << '\n';
    return kExitRefused;
}

// A local file the command needs cannot be read: nothing is sent.
bool Readable(CtlCall& call, const std::string& path) {
    const std::optional<std::string> reason = UnreadableFileReason(path);
    if (reason)
        call.environment.err << "r7ctl: cannot open " << path << ": " << *reason << '\n';
    return !reason;
}

// {"changed": true} for a command that always changes the gateway.
int PrintChanged(CtlCall& call, int status) {
    if (status == kExitSuccess && call.options.json)
        call.environment.out << "{\"changed\": true}\n";
    return status;
}

// The backup's text for a file: unchanged (and not written again) when the
// file already holds exactly that.
bool SameContent(const std::string& path, const std::string& text) {
    std::string content;
    return ReadCappedFile(path, content) == 0 && content == text;
}

// The status a whole-device script ends with: refused when the gateway
// refused a step or a reply it read back could not be read (the user has been
// told which).
int Finish(GatewaySession& session, const DeviceScriptResult& result) {
    ReportDeviceScript(session.Questions(), result);
    // The port was lost on the way (gone for good, or its node now holds
    // another device): the steps after that were not done.
    if (!session.Port().IsOpen()) {
        session.Questions().Warn(kUndetectedTitle, LostPortText(session.Port().PortName()), {});
        return kExitNoGateway;
    }
    return session.Questions().Failed() ? kExitRefused : kExitSuccess;
}

constexpr char kFirmwarePath[] = "device_info/firmware";
// SkipInstalledVersion: go on with the upload.
constexpr int kContinue = -1;

// A value of the state read after an update; a state that did not come back
// leaves the version unknown, which fails the command.
std::optional<std::string> StateValue(CtlCall& call, GatewaySession& session,
                                      const std::string& label, const std::string& path) {
    const std::optional<std::string> value = ReadSettingPath(session.Model().StateGroups(), path);
    if (!value)
        call.environment.err << "r7ctl: the gateway did not report its " << label << '\n';
    return value;
}

void PrintFirmware(CtlCall& call, bool changed, const std::string& version) {
    if (call.options.json)
        call.environment.out << "{\"changed\": " << (changed ? "true" : "false")
                             << ", \"firmware\": " << JsonQuote(version) << "}\n";
    else if (changed)
        call.environment.out << "firmware: " << version << '\n';
    else
        call.environment.out << "unchanged\n";
}

// With --version V, only the state is read first: a gateway that already runs
// V is left alone, and --check stops after saying what would happen.
// kContinue to go on with the upload, or the status to end with.
int SkipInstalledVersion(CtlCall& call, GatewaySession& session) {
    if (const int status = session.OpenAndQuery({kStateQuery}); status != kExitSuccess)
        return status;
    const std::optional<std::string> current = StateValue(call, session, "firmware", kFirmwarePath);
    if (!current)
        return kExitRefused;
    const std::string& wanted = call.options.firmwareVersion;
    if (*current == wanted) {
        PrintFirmware(call, false, *current);
        return kExitSuccess;
    }
    if (!call.options.check)
        return kContinue;
    if (call.options.json)
        call.environment.out << "{\"changed\": true, \"check\": true, \"firmware\": "
                             << JsonQuote(*current) << "}\n";
    else
        call.environment.out << "firmware: would change " << *current << " -> " << wanted << '\n';
    return kExitSuccess;
}

}  // namespace

int RunBackup(CtlCall& call) {
    const std::string& path = call.args[0];
    GatewaySession session(call.options, call.environment);
    if (const int status = session.OpenAndQuery({kSettingsQuery}); status != kExitSuccess)
        return status;
    const xmlDocPtr settings = session.Model().SettingsDocument();
    if (settings != nullptr && path == "-") {
        call.environment.out << BackupText(settings);
        return kExitSuccess;
    }
    const bool unchanged = settings != nullptr && SameContent(path, BackupText(settings));
    if (!unchanged) {
        const BackupResult result = WriteBackup(settings, path);
        if (result.problem != BackupResult::Problem::None)
            return Report(call, path, DescribeProblem(result.problem), result.details);
    }
    if (call.options.json)
        call.environment.out << "{\"changed\": " << (unchanged ? "false" : "true")
                             << ", \"path\": " << JsonQuote(path) << "}\n";
    return kExitSuccess;
}

int RunRestore(CtlCall& call) {
    // The file is checked before the gateway is touched: nothing is sent for a
    // file that cannot be restored.
    const std::string& path = call.args[0];
    std::string content;
    if (const int error = ReadInput(path, *call.environment.in, content)) {
        call.environment.err << "r7ctl: cannot read " << path << ": " << std::strerror(error)
                             << '\n';
        return kExitRefused;
    }
    const RestoreFile file = ParseRestoreText(content, path);
    if (file.problem != RestoreFile::Problem::None)
        return Report(call, path, DescribeProblem(file.problem), file.details);
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    return PrintChanged(call, Finish(session, RestoreConfiguration(session.Runner(),
                                                                   session.Model(), file.request)));
}

// The gateway takes its port away to restart; the reboot is done when it
// answers again, which the link waits for within its restart bound.
int RunReboot(CtlCall& call) {
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    Clock& clock = *call.environment.clock;
    const std::uint64_t start = clock.NowMs();
    const DeviceScriptResult result = RebootDevice(session.Runner());
    const int status = Finish(session, result);
    if (status != kExitSuccess || call.options.noWait)
        return PrintChanged(call, status);
    std::ostream& err = call.environment.err;
    if (!result.restarted) {
        err << "r7ctl: the gateway took the reboot command, but its port stayed: it has not "
               "restarted\n";
        return kExitRefused;
    }
    if (!AwaitRestartedDevice(session.Runner())) {
        err << "r7ctl: the gateway did not answer after its restart\n";
        return kExitRefused;
    }
    const std::uint64_t seconds = (clock.NowMs() - start + 500) / 1000;
    if (call.options.json)
        call.environment.out << "{\"changed\": true, \"restart_seconds\": " << seconds << "}\n";
    else
        call.environment.out << "restarted in " << seconds << " s\n";
    return kExitSuccess;
}

int RunFactoryReset(CtlCall& call) {
    if (!call.options.yes) {
        call.environment.err << "r7ctl: factory-reset erases every setting of the gateway; "
                                "confirm with --yes\n";
        return kExitUsage;
    }
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    return PrintChanged(call,
                        Finish(session, RestoreFactoryDefaults(session.Runner(), session.Model())));
}

int RunFirmware(CtlCall& call) {
    const std::string& wanted = call.options.firmwareVersion;
    if (call.options.check && wanted.empty()) {
        call.environment.err << "r7ctl: firmware --check needs --version V to compare with\n";
        return kExitUsage;
    }
    if (!Readable(call, call.args[0]))
        return kExitRefused;
    GatewaySession session(call.options, call.environment);
    if (wanted.empty()) {
        if (const int status = session.Open(); status != kExitSuccess)
            return status;
    } else if (const int status = SkipInstalledVersion(call, session); status != kContinue) {
        return status;
    }
    const FirmwareUpdateResult result = UpdateFirmware(
        session.Runner(), session.Uploader(), session.Questions(), session.Model(), call.args[0]);
    if (result.outcome == FirmwareUpdateOutcome::NotSent)
        return kExitRefused;
    ReportUnreadReplies(session.Questions(), result.unread);
    if (result.outcome == FirmwareUpdateOutcome::Refused) {
        call.environment.err << "r7ctl: the gateway refused to install " << call.args[0]
                             << " (Firmware Upgrade failed.)\n";
        return kExitRefused;
    }
    // The state held is the one from before the install: printing its version
    // would pass the old firmware off as the new one.
    if (result.outcome == FirmwareUpdateOutcome::NotBack) {
        call.environment.err << "r7ctl: the gateway did not answer after the firmware upgrade; "
                                "its firmware version is unknown.\n";
        return kExitNoGateway;
    }
    const std::optional<std::string> version = StateValue(call, session, "firmware", kFirmwarePath);
    if (!version)
        return kExitRefused;
    PrintFirmware(call, true, *version);
    if (!wanted.empty() && *version != wanted) {
        call.environment.err << "r7ctl: the gateway reports firmware " << *version
                             << " after the upgrade, not " << wanted << '\n';
        return kExitRefused;
    }
    return session.Questions().Failed() ? kExitRefused : kExitSuccess;
}

int RunRadioFirmware(CtlCall& call) {
    if (!Readable(call, call.args[0]))
        return kExitRefused;
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    const RadioFirmwareResult result = UpdateRadioFirmware(
        session.Runner(), session.Uploader(), session.Questions(), session.Model(), call.args[0]);
    if (result.outcome == RadioFirmwareOutcome::NotSent)
        return kExitRefused;
    ReportUnreadReplies(session.Questions(), result.unread);
    if (!result.confirmed)
        call.environment.err << "r7ctl: the gateway did not confirm the radio firmware install\n";
    const std::optional<std::string> version =
        StateValue(call, session, "radio firmware", "zigbee_state/firmware_version");
    if (version && call.options.json)
        call.environment.out << "{\"changed\": true, \"radio_firmware\": " << JsonQuote(*version)
                             << "}\n";
    else if (version)
        call.environment.out << "radio firmware: " << *version << '\n';
    return result.confirmed && version && !session.Questions().Failed() ? kExitSuccess
                                                                        : kExitRefused;
}
