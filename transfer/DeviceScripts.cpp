#include "transfer/DeviceScripts.h"

#include <algorithm>

#include "link/LinkMessages.h"
#include "link/Prompter.h"
#include "model/ReplyRoutes.h"
#include "model/RequestDocuments.h"
#include "model/StrayAmpersands.h"
#include "model/UnreadReport.h"
#include "transfer/VerifiedUpload.h"

namespace {

constexpr char kRebootCommand[] = "at+CFUN=1\r\n";
constexpr char kRebootingText[] = "Rebooting device...";
constexpr int kRebootMs = 10000;

ReplyRoute SettingsRoute(ConfigModel& model, UnreadReplies& unread) {
    return {kSettingsQuery, [&model, &unread](const std::string& reply) {
                NoteUnread(model.LoadSettingsReply(reply), unread);
            }};
}

ReplyRoute StateRoute(ConfigModel& model, UnreadReplies& unread) {
    return {kStateQuery, [&model, &unread](const std::string& reply) {
                // The gateway does not escape '&' in the free text of its state (a network
                // called AT&T): read it as start-up does, or the whole state is lost.
                NoteUnread(model.LoadStateReply(RemoveStrayAmpersands(reply)), unread);
            }};
}

bool AnsweredWell(const CommandJob& job) {
    return job.Answered() && job.GetStatus() == CommandJob::kSucceeded;
}

void NoteRefusal(const CommandJob& job, RefusedStep step, RefusedSteps& refused) {
    if (job.Refused() && std::ranges::find(refused, step) == refused.end())
        refused.push_back(step);
}

// The restart command: its job lasts until the port goes away, so that the
// next command waits for the restarted gateway instead of being lost to the
// old one.
CommandJob RebootJob(const char* text) {
    CommandJob job(kRebootCommand, text, kRebootMs);
    job.SetRestarts(true);
    return job;
}

// What the reboot job tells; a refusal is noted with the other steps.
void NoteReboot(const CommandJob& job, DeviceScriptResult& result) {
    NoteRefusal(job, RefusedStep::Reboot, result.refused);
    result.restarted = job.PortWentAway();
}

struct RefusalText {
    const char* consequence;
    const char* command;
};

RefusalText Describe(RefusedStep step) {
    switch (step) {
        case RefusedStep::FactoryDefaults:
            return {
                "The device refused to restore its factory default settings, so it keeps its "
                "previous settings.",
                "set_factory_default"};
        case RefusedStep::Configuration:
            return {
                "The device refused the configuration from the file: the settings were not "
                "restored, and the device keeps its previous settings.",
                "the configuration document"};
        case RefusedStep::Reboot:
            break;
    }
    return {
        "The device refused to reboot, so it has not restarted: settings that take effect "
        "at a restart are not in use yet.",
        "at+CFUN=1"};
}

}  // namespace

void ReportDeviceScript(Prompter& prompter, const DeviceScriptResult& result) {
    if (!result.refused.empty()) {
        std::string text;
        std::string details;
        for (const RefusedStep step : result.refused) {
            const RefusalText refusal = Describe(step);
            text += (text.empty() ? "" : " ") + std::string(refusal.consequence);
            details += (details.empty() ? "" : "\n") + std::string(refusal.command) +
                       " was answered with ERROR.";
        }
        prompter.Warn("Refused by the device", text, details);
    }
    if (result.rebootUnanswered)
        prompter.Warn(kUndetectedTitle,
                      "The device did not answer the reboot command, so it may not have "
                      "restarted: settings that take effect at a restart may not be in use yet.",
                      {});
    ReportUnreadReplies(prompter, result.unread);
}

DeviceScriptResult RestoreFactoryDefaults(ScriptRunner& runner, ConfigModel& model) {
    constexpr char kCollecting[] = "Collecting device information after factory reset...";
    JobList jobs = {
        CommandJob(InlineCommand(kFactoryDefaults), "Restoring factory defaults...", 10000),
        RebootJob(kRebootingText),
        CommandJob(InlineCommand(kSettingsQuery), kCollecting, 20000),
        CommandJob(InlineCommand(kStateQuery), kCollecting, 20000),
    };
    runner.Run(jobs);
    DeviceScriptResult result;
    NoteRefusal(jobs[0], RefusedStep::FactoryDefaults, result.refused);
    NoteReboot(jobs[1], result);
    RouteReplies(jobs, {SettingsRoute(model, result.unread), StateRoute(model, result.unread)},
                 result.unread);
    result.back = AnsweredWell(jobs.back());
    return result;
}

DeviceScriptResult RestoreConfiguration(ScriptRunner& runner, ConfigModel& model,
                                        const std::string& request) {
    constexpr char kSending[] = "Sending new configuration to the Device...";
    JobList jobs = {
        CommandJob(std::string(kDocumentRequestCommand), kSending, 100),
        CommandJob(request, kSending, 30000),
        RebootJob(kRebootingText),
        CommandJob(InlineCommand(kSettingsQuery), "Retrieving configuration from the Device...",
                   8000),
    };
    runner.Run(jobs);
    // The gateway is rebooted whether or not it took the configuration, and
    // the settings query tells what it now holds; a refusal of the document
    // mode or of the document is still reported.
    DeviceScriptResult result;
    NoteRefusal(jobs[0], RefusedStep::Configuration, result.refused);
    NoteRefusal(jobs[1], RefusedStep::Configuration, result.refused);
    NoteReboot(jobs[2], result);
    RouteReplies(jobs, {SettingsRoute(model, result.unread)}, result.unread);
    result.back = AnsweredWell(jobs.back());
    return result;
}

DeviceScriptResult RebootDevice(ScriptRunner& runner) {
    JobList jobs = {RebootJob("Rebooting device....")};
    runner.Run(jobs);
    DeviceScriptResult result;
    NoteReboot(jobs[0], result);
    // The scripts that read settings back after their reboot tell by those
    // replies whether the gateway is there.
    result.rebootUnanswered = !jobs[0].Answered();
    return result;
}

bool AwaitRestartedDevice(ScriptRunner& runner) {
    // The link reopens the port for as long as a restart may take before it
    // writes this; only the restarted gateway can answer it.
    JobList jobs = {CommandJob("at\r\n", "Waiting for the device to restart...", 1000)};
    runner.Run(jobs);
    return jobs[0].GetStatus() == CommandJob::kSucceeded && jobs[0].Answered();
}

InstallResult InstallFirmware(ScriptRunner& runner, ConfigModel& model) {
    constexpr char kRetrieving[] = "Retrieving new settings from the Device...";
    // The link reads the install command's reply raw until the deadline or
    // until the restarted gateway's port is back, whichever comes first.
    JobList jobs = {
        CommandJob("at&usbinterface=110\r\n", "The device is now upgrading to the new firmware....",
                   300000),
        CommandJob("at\r\n", kRetrieving, 1000),
        CommandJob(InlineCommand(kStateQuery), kRetrieving, 40000),
    };
    runner.Run(jobs);
    InstallResult result;
    result.installed = jobs[0].GetStatus() == CommandJob::kSucceeded;
    result.back = jobs[2].GetStatus() == CommandJob::kSucceeded && !jobs[2].GetResponse().empty();
    RouteReplies(jobs, {StateRoute(model, result.unread)}, result.unread);
    return result;
}

FirmwareUpdateResult UpdateFirmware(ScriptRunner& runner, UploadRunner& uploader,
                                    Prompter& prompter, ConfigModel& model,
                                    const std::string& localPath) {
    FirmwareUpdateResult result;
    if (localPath.empty()) {
        prompter.Warn("Please enter a Filename", "You must select the firmware file to update.", {},
                      MessageKind::Error);
        return result;
    }
    if (RunVerifiedUpload(runner, uploader, prompter, localPath, UploadTarget::FirmwareImage,
                          "Unable to open the firmware file to update.") != UploadVerdict::Verified)
        return result;
    InstallResult installed = InstallFirmware(runner, model);
    if (!installed.installed)
        result.outcome = FirmwareUpdateOutcome::Refused;
    else
        result.outcome =
            installed.back ? FirmwareUpdateOutcome::Installed : FirmwareUpdateOutcome::NotBack;
    result.unread = std::move(installed.unread);
    return result;
}
