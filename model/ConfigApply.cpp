#include "model/ConfigApply.h"

#include <string_view>

#include "model/ReplyRoutes.h"
#include "model/RequestDocuments.h"
#include "model/RequestQuoting.h"
#include "model/SettingsSubset.h"
#include "model/XmlDocument.h"
#include "model/XmlString.h"

namespace {

// What the serialiser writes first for a document read as UTF-8. The gateway
// takes a request without a declaration as UTF-8, so this one says nothing.
constexpr std::string_view kPlainDeclaration = "<?xml version=\"1.0\"?>\n";

// A declaration that names another encoding is kept as written, line feed
// included; only what follows it is requoted.
std::string Requote(std::string_view text) {
    if (text.starts_with(kPlainDeclaration)) {
        return RequoteMarkup(text.substr(kPlainDeclaration.size()));
    }
    std::string declaration;
    if (const std::size_t end = text.find("?>\n");
        text.starts_with("<?xml") && end != std::string_view::npos) {
        declaration = text.substr(0, end + 3);
        text.remove_prefix(end + 3);
    }
    return declaration + RequoteMarkup(text);
}

// The document as text in `encoding`, or in the one it was read in when that is
// nullptr.
std::string Dump(xmlDocPtr document, const char* encoding) {
    xmlChar* dumped = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(document, &dumped, &size, encoding, 0);
    const XmlString owner(dumped);
    if (dumped == nullptr || size <= 0) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(dumped), static_cast<std::size_t>(size));
}

// One apply pipeline: the document goes out as a document request, an
// optional pause lets the gateway take it into use, then the query fetches
// what the gateway now holds.
struct ApplyPlan {
    std::string_view sendingText;
    int announceMs;
    int documentMs;
    int settleMs;  // 0: no pause
    std::string_view queryDocument;
    // The reply job is recognised by its inline command or, when set, by the
    // bare document as well.
    bool matchBareQuery;
    std::string_view retrievingText;
};

JobList BuildJobs(const ApplyPlan& plan, xmlDocPtr document) {
    JobList jobs;
    jobs.push_back(CommandJob(std::string(kDocumentRequestCommand), std::string(plan.sendingText),
                              plan.announceMs));
    jobs.push_back(
        CommandJob(SerializeForRequest(document), std::string(plan.sendingText), plan.documentMs));
    if (plan.settleMs > 0) {
        jobs.push_back(CommandJob(
            "SLEEP", "Waiting for new configuration to apply on the Device...", plan.settleMs));
    }
    jobs.push_back(
        CommandJob(InlineCommand(plan.queryDocument), std::string(plan.retrievingText), 20000));
    return jobs;
}

// Runs the plan and reloads the tree from the reply of the job carrying the
// query. A failed job reloads nothing, so the edited tree stays.
// `whole` is the tree the gateway will hold afterwards, which its reply
// reports; `sent` what goes out (the whole tree, or only its changed values).
template <typename Reload>
ApplyResult RunPlan(ScriptRunner& runner, const ApplyPlan& plan, xmlDocPtr whole, xmlDocPtr sent,
                    Reload&& reload) {
    ApplyResult result;
    if (whole == nullptr || sent == nullptr) {
        result.sent = false;
        return result;
    }
    if (EstimateQueryReplyBytes(whole, plan.queryDocument) > kBaseReplyBytes) {
        result.sent = false;
        result.tooLarge = true;
        return result;
    }
    JobList jobs = BuildJobs(plan, sent);
    runner.Run(jobs);
    const auto take = [&](const std::string& response) {
        const ReplyLoad load = reload(response);
        result.reloaded = result.reloaded || (load && !load.unread);
        NoteUnread(load, result.unread);
    };
    const std::string query = InlineCommand(plan.queryDocument);
    std::vector<ReplyRoute> routes = {{query, take}};
    if (plan.matchBareQuery)
        routes.push_back({plan.queryDocument, take});
    RouteReplies(jobs, routes, result.unread);
    return result;
}

constexpr ApplyPlan kSettingsPlan = {
    .sendingText = "Sending new configuration to the Device...",
    .announceMs = 100,
    .documentMs = 30000,
    .settleMs = 20000,
    .queryDocument = kSettingsQuery,
    .matchBareQuery = true,
    .retrievingText = "Retrieving new configuration from the Device...",
};

constexpr ApplyPlan kRadioPlan = {
    .sendingText = "Sending new Meshlet configuration to the Device...",
    .announceMs = 1000,
    .documentMs = 35000,
    .settleMs = 0,
    .queryDocument = kRadioSettingsQuery,
    .matchBareQuery = false,
    .retrievingText = "Retrieving Meshlet configuration to the Device...",
};

}  // namespace

std::string SerializeForRequest(xmlDocPtr document) {
    if (document == nullptr) {
        return {};
    }
    std::string text = Dump(document, nullptr);
    if (!text.starts_with("<?xml")) {
        text = Dump(document, "UTF-8");
    }
    if (text.ends_with('\n')) {
        text.pop_back();
    }
    return Requote(text);
}

std::size_t EstimateQueryReplyBytes(xmlDocPtr document, std::string_view query) {
    // The line ends around the reply and its "OK" line.
    constexpr std::size_t kStatusBytes = 16;
    return InlineCommand(query).size() + Dump(document, "UTF-8").size() + kStatusBytes;
}

ApplyResult ApplyConfiguration(ScriptRunner& runner, ConfigModel& model) {
    return RunPlan(runner, kSettingsPlan, model.SettingsDocument(), model.SettingsDocument(),
                   [&model](const std::string& reply) { return model.LoadSettingsReply(reply); });
}

ApplyResult ApplyConfigurationChanges(ScriptRunner& runner, ConfigModel& model,
                                      const std::vector<std::string>& paths) {
    const XmlDocument changes =
        CopySettingsSubset(model.SettingsDocument(), model.SettingsGroups(), paths);
    return RunPlan(runner, kSettingsPlan, model.SettingsDocument(), changes.get(),
                   [&model](const std::string& reply) { return model.LoadSettingsReply(reply); });
}

ApplyResult ApplyRadioConfiguration(ScriptRunner& runner, ConfigModel& model) {
    return RunPlan(
        runner, kRadioPlan, model.RadioSettingsDocument(), model.RadioSettingsDocument(),
        [&model](const std::string& reply) { return model.LoadRadioSettingsReply(reply); });
}
