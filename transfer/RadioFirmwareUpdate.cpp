#include "transfer/RadioFirmwareUpdate.h"

#include "link/Prompter.h"
#include "model/ReplyRoutes.h"
#include "model/RequestDocuments.h"
#include "model/StrayAmpersands.h"
#include "transfer/FileNames.h"
#include "transfer/VerifiedUpload.h"

namespace {

// Installing takes the radio a few minutes.
constexpr int kInstallTimeoutMs = 180000;
constexpr int kQueryTimeoutMs = 20000;

JobList InstallJobs(std::string_view fileName) {
    return {
        CommandJob(InlineCommand(FillFileName(kRadioFirmwareUpdate, fileName)),
                   "Updating firmware on the Meshlet radio...", kInstallTimeoutMs),
        CommandJob(InlineCommand(kStateQuery), "Collecting Device information...", kQueryTimeoutMs),
        CommandJob(InlineCommand(kRadioSettingsQuery),
                   "Retrieving Meshlet configuration to the Device...", kQueryTimeoutMs),
    };
}

void ReloadTrees(const JobList& jobs, ConfigModel& model, RadioFirmwareResult& result) {
    const std::string stateQuery = InlineCommand(kStateQuery);
    const std::string radioQuery = InlineCommand(kRadioSettingsQuery);
    RouteReplies(jobs,
                 {{stateQuery,
                   [&](const std::string& reply) {
                       NoteUnread(model.LoadStateReply(RemoveStrayAmpersands(reply)),
                                  result.unread);
                   }},
                  {radioQuery,
                   [&](const std::string& reply) {
                       const ReplyLoad load = model.LoadRadioSettingsReply(reply);
                       result.radioReread = load.loaded;
                       NoteUnread(load, result.unread);
                   }}},
                 result.unread);
}

}  // namespace

RadioFirmwareResult UpdateRadioFirmware(ScriptRunner& runner, UploadRunner& uploader,
                                        Prompter& prompter, ConfigModel& model,
                                        const std::string& localPath) {
    RadioFirmwareResult result;
    if (localPath.empty()) {
        prompter.Warn("Please enter a Filename", "You must select the firmware file to update.", {},
                      MessageKind::Error);
        return result;
    }
    if (RunVerifiedUpload(runner, uploader, prompter, localPath, UploadTarget::RadioFile,
                          "Unable to open the firmware file to update.") !=
        UploadVerdict::Verified) {
        return result;
    }
    JobList jobs = InstallJobs(LocalFileName(localPath));
    runner.Run(jobs);
    result.outcome = RadioFirmwareOutcome::Installed;
    result.confirmed = jobs[0].GetStatus() == CommandJob::kSucceeded;
    ReloadTrees(jobs, model, result);
    return result;
}
