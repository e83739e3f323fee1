#include <optional>
#include <string>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/SettingPath.h"
#include "link/LinkMessages.h"
#include "model/UnreadReport.h"
#include "transfer/ConfigBackup.h"
#include "transfer/DeviceScripts.h"
#include "transfer/RadioFirmwareUpdate.h"

namespace {

int Report(CtlCall& call, const ProblemText& problem, const std::string& details) {
    call.environment.err << "r7ctl: " << problem.caption << ": " << problem.text << '\n';
    if (!details.empty())
        call.environment.err << details << '\n';
    return kExitRefused;
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

// Prints a value of the state read after an update; a state that did not
// come back leaves the version unknown, which fails the command.
bool PrintStateValue(CtlCall& call, GatewaySession& session, const std::string& label,
                     const std::string& path) {
    const std::optional<std::string> value = ReadSettingPath(session.Model().StateGroups(), path);
    if (!value) {
        call.environment.err << "r7ctl: the gateway did not report its " << label << '\n';
        return false;
    }
    call.environment.out << label << ": " << *value << '\n';
    return true;
}

}  // namespace

int RunBackup(CtlCall& call) {
    GatewaySession session(call.options, call.environment);
    DeviceInfo info;
    if (const int status = session.OpenAndCollect(info); status != kExitSuccess)
        return status;
    const BackupResult result = WriteBackup(session.Model().SettingsDocument(), call.args[0]);
    if (result.problem != BackupResult::Problem::None)
        return Report(call, DescribeProblem(result.problem), result.details);
    return kExitSuccess;
}

int RunRestore(CtlCall& call) {
    // The file is checked before the gateway is touched: nothing is sent for a
    // file that cannot be restored.
    const RestoreFile file = ReadRestoreFile(call.args[0]);
    if (file.problem != RestoreFile::Problem::None)
        return Report(call, DescribeProblem(file.problem), file.details);
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    return Finish(session, RestoreConfiguration(session.Runner(), session.Model(), file.request));
}

int RunReboot(CtlCall& call) {
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    return Finish(session, RebootDevice(session.Runner()));
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
    return Finish(session, RestoreFactoryDefaults(session.Runner(), session.Model()));
}

int RunFirmware(CtlCall& call) {
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    const FirmwareUpdateResult result = UpdateFirmware(
        session.Runner(), session.Uploader(), session.Questions(), session.Model(), call.args[0]);
    if (result.outcome == FirmwareUpdateOutcome::NotSent)
        return kExitRefused;
    ReportUnreadReplies(session.Questions(), result.unread);
    if (result.outcome == FirmwareUpdateOutcome::Refused) {
        call.environment.err << "r7ctl: Firmware Upgrade failed.\n";
        return kExitRefused;
    }
    // The state held is the one from before the install: printing its version
    // would pass the old firmware off as the new one.
    if (result.outcome == FirmwareUpdateOutcome::NotBack) {
        call.environment.err << "r7ctl: the gateway did not answer after the firmware upgrade; "
                                "its firmware version is unknown.\n";
        return kExitNoGateway;
    }
    const bool printed = PrintStateValue(call, session, "firmware", "device_info/firmware");
    return printed && !session.Questions().Failed() ? kExitSuccess : kExitRefused;
}

int RunRadioFirmware(CtlCall& call) {
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
    const bool printed =
        PrintStateValue(call, session, "radio firmware", "zigbee_state/firmware_version");
    return result.confirmed && printed && !session.Questions().Failed() ? kExitSuccess
                                                                        : kExitRefused;
}
