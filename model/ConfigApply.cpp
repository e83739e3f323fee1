#include "model/ConfigApply.h"

#include <string_view>

#include "model/RequestDocuments.h"
#include "model/RequestQuoting.h"
#include "model/XmlString.h"

namespace {

// The serialiser starts with an XML declaration line; the gateway wants the
// request element first, whatever the declaration says.
std::string_view DropDeclaration(std::string_view text) {
    if (text.starts_with("<?xml")) {
        const std::size_t end = text.find("?>");
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
        if (text.starts_with('\n')) {
            text.remove_prefix(1);
        }
    }
    return text;
}

CommandJob MakeJob(std::string command, std::string_view progress, int timeoutMs) {
    CommandJob job;
    job.SetCommand(std::move(command));
    job.SetText(std::string(progress));
    job.SetTimeout(timeoutMs);
    return job;
}

// Runs the jobs and reloads the tree from the reply of the job carrying the
// query. A failed job reloads nothing, so the edited tree stays.
template <typename Reload>
void RunAndReload(ScriptRunner& runner, JobList& jobs, std::string_view query,
                  std::string_view bareQuery, Reload&& reload) {
    runner.Run(jobs);
    for (const CommandJob& job : jobs) {
        if (job.GetStatus() == CommandJob::kFailed) {
            continue;
        }
        const std::string command = job.GetCommand();
        if (command.empty()) {
            break;
        }
        if (command.find(query) != std::string::npos ||
            command.find(bareQuery) != std::string::npos) {
            reload(job.GetResponse());
        }
    }
}

}  // namespace

std::string SerializeForRequest(xmlDocPtr document) {
    if (document == nullptr) {
        return {};
    }
    xmlChar* dumped = nullptr;
    int size = 0;
    xmlDocDumpMemory(document, &dumped, &size);
    const XmlString owner(dumped);
    if (dumped == nullptr || size <= 0) {
        return {};
    }
    std::string_view text(reinterpret_cast<const char*>(dumped), static_cast<std::size_t>(size));
    if (text.ends_with('\n')) {
        text.remove_suffix(1);
    }
    return RequoteMarkup(DropDeclaration(text));
}

ApplyResult ApplyConfiguration(ScriptRunner& runner, ConfigModel& model) {
    if (model.SettingsDocument() == nullptr) {
        return ApplyResult::NoDocument;
    }
    constexpr std::string_view kSending = "Sending new configuration to the Device...";
    JobList jobs;
    jobs.push_back(MakeJob(std::string(kDocumentRequestCommand), kSending, 100));
    jobs.push_back(MakeJob(SerializeForRequest(model.SettingsDocument()), kSending, 30000));
    jobs.push_back(
        MakeJob("SLEEP", "Waiting for new configuration to apply on the Device...", 20000));
    jobs.push_back(MakeJob(InlineCommand(kSettingsQuery),
                           "Retrieving new configuration from the Device...", 20000));
    RunAndReload(runner, jobs, InlineCommand(kSettingsQuery), kSettingsQuery,
                 [&model](const std::string& reply) { model.LoadSettingsReply(reply); });
    return ApplyResult::Applied;
}

ApplyResult ApplyRadioConfiguration(ScriptRunner& runner, ConfigModel& model) {
    if (model.RadioSettingsDocument() == nullptr) {
        return ApplyResult::NoDocument;
    }
    constexpr std::string_view kSending = "Sending new Meshlet configuration to the Device...";
    JobList jobs;
    jobs.push_back(MakeJob(std::string(kDocumentRequestCommand), kSending, 1000));
    jobs.push_back(MakeJob(SerializeForRequest(model.RadioSettingsDocument()), kSending, 35000));
    jobs.push_back(MakeJob(InlineCommand(kRadioSettingsQuery),
                           "Retrieving Meshlet configuration to the Device...", 20000));
    const std::string query = InlineCommand(kRadioSettingsQuery);
    RunAndReload(runner, jobs, query, query,
                 [&model](const std::string& reply) { model.LoadRadioSettingsReply(reply); });
    return ApplyResult::Applied;
}
