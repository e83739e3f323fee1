#include "transfer/RadioFirmwareUpdate.h"

#include <filesystem>
#include <fstream>

#include "model/RequestDocuments.h"
#include "model/StrayAmpersands.h"

namespace {

// Installing takes the radio a few minutes.
constexpr int kInstallTimeoutMs = 180000;
constexpr int kQueryTimeoutMs = 20000;

bool IsReadableFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && std::ifstream(path).is_open();
}

// Empty when the name can go into the gateway's commands, else why not. The
// digest query carries it in double quotes and the upload announces it bare.
std::string NameProblem(const std::string& name) {
    if (name.empty()) {
        return "The path names no file.";
    }
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"') {
            return "The file name \"" + name + "\" holds a double quote.";
        }
        if (byte < 0x20 || byte == 0x7f) {
            return "The file name holds a control character.";
        }
    }
    return {};
}

JobList InstallJobs(const std::string& fileName) {
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
    for (const CommandJob& job : jobs) {
        if (job.GetStatus() == CommandJob::kFailed) {
            continue;
        }
        const std::string command = job.GetCommand();
        if (command.empty()) {
            break;
        }
        if (command.find(stateQuery) != std::string::npos) {
            model.LoadStateReply(RemoveStrayAmpersands(job.GetResponse()));
            result.stateReloaded = true;
        } else if (command.find(radioQuery) != std::string::npos) {
            model.LoadRadioSettingsReply(job.GetResponse());
            result.radioReloaded = true;
        }
    }
}

}  // namespace

std::string RadioFirmwareFileName(const std::string& localPath) {
    const std::size_t slash = localPath.rfind('/');
    return slash == std::string::npos ? localPath : localPath.substr(slash + 1);
}

RadioFirmwareResult UpdateRadioFirmware(ScriptRunner& runner, ConfigModel& model,
                                        const std::string& localPath,
                                        const VerifiedUploadStep& upload) {
    if (localPath.empty()) {
        return {RadioFirmwareOutcome::NoFileChosen, {}};
    }
    if (!IsReadableFile(localPath)) {
        return {RadioFirmwareOutcome::FileUnreadable, {}};
    }
    const std::string fileName = RadioFirmwareFileName(localPath);
    if (std::string problem = NameProblem(fileName); !problem.empty()) {
        return {RadioFirmwareOutcome::NameRefused, std::move(problem)};
    }
    if (!upload(localPath, fileName)) {
        return {RadioFirmwareOutcome::NotVerified, {}};
    }
    JobList jobs = InstallJobs(fileName);
    runner.Run(jobs);
    RadioFirmwareResult result{RadioFirmwareOutcome::Updated, {}};
    ReloadTrees(jobs, model, result);
    return result;
}
