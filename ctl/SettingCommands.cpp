#include <optional>
#include <string>
#include <vector>

#include "model/UnreadReport.h"
#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/JsonText.h"
#include "ctl/SettingPath.h"
#include "model/ConfigApply.h"

namespace {

struct Assignment {
    std::string path;
    std::string value;
};

void PrintValues(const CtlCall& call, const std::vector<Assignment>& values) {
    std::ostream& out = call.environment.out;
    if (!call.options.json) {
        for (const Assignment& entry : values)
            out << entry.path << '=' << entry.value << '\n';
        return;
    }
    out << '{';
    for (std::size_t i = 0; i < values.size(); ++i)
        out << (i ? ", " : "") << JsonQuote(values[i].path) << ": " << JsonQuote(values[i].value);
    out << "}\n";
}

// Opens the gateway and reads its trees; kExitSuccess or the status to end with.
int ReadGateway(GatewaySession& session) {
    DeviceInfo info;
    const int status = session.OpenAndCollect(info);
    if (status == kExitSuccess && session.Model().SettingsDocument() == nullptr)
        return kExitRefused;
    return status;
}

bool ParseAssignments(CtlCall& call, std::vector<Assignment>& assignments) {
    for (const std::string& argument : call.args) {
        Assignment entry;
        if (!SplitAssignment(argument, entry.path, entry.value)) {
            call.environment.err << "r7ctl set: '" << argument << "' is not PATH=VALUE\n";
            return false;
        }
        assignments.push_back(entry);
    }
    return true;
}

// Every path must name a setting the gateway reported: nothing is sent
// otherwise, since the gateway's document never gains new elements.
bool AllPathsExist(CtlCall& call, xmlNodePtr groups, const std::vector<Assignment>& entries) {
    bool found = true;
    for (const Assignment& entry : entries) {
        if (!ReadSettingPath(groups, entry.path)) {
            call.environment.err << "r7ctl: the gateway reports no setting " << entry.path << '\n';
            found = false;
        }
    }
    return found;
}

}  // namespace

int RunGet(CtlCall& call) {
    GatewaySession session(call.options, call.environment);
    if (const int status = ReadGateway(session); status != kExitSuccess)
        return status;
    std::vector<Assignment> values;
    int status = kExitSuccess;
    for (const std::string& path : call.args) {
        const std::optional<std::string> value =
            ReadSettingPath(session.Model().SettingsGroups(), path);
        if (value) {
            values.push_back({path, *value});
        } else {
            call.environment.err << "r7ctl: the gateway reports no setting " << path << '\n';
            status = kExitRefused;
        }
    }
    PrintValues(call, values);
    return status;
}

int RunSet(CtlCall& call) {
    std::vector<Assignment> wanted;
    if (!ParseAssignments(call, wanted))
        return kExitUsage;
    GatewaySession session(call.options, call.environment);
    if (const int status = ReadGateway(session); status != kExitSuccess)
        return status;
    ConfigModel& model = session.Model();
    if (!AllPathsExist(call, model.SettingsGroups(), wanted))
        return kExitRefused;
    for (const Assignment& entry : wanted)
        WriteSettingPath(model.SettingsGroups(), entry.path, entry.value);
    const ApplyResult applied = ApplyConfiguration(session.Runner(), model);
    ReportUnreadReplies(session.Questions(), applied.unread);
    if (!applied.reloaded) {
        // The tree still holds what was asked, not what the gateway kept.
        call.environment.err << "r7ctl: the gateway did not report its settings after the apply\n";
        return kExitRefused;
    }

    std::vector<Assignment> kept;
    int status = kExitSuccess;
    for (const Assignment& entry : wanted) {
        const std::string value = ReadSettingPath(model.SettingsGroups(), entry.path).value_or("");
        kept.push_back({entry.path, value});
        if (value != entry.value) {
            call.environment.err << "r7ctl: the gateway kept " << entry.path << '=' << value
                                 << ", not " << entry.value << '\n';
            status = kExitRefused;
        }
    }
    PrintValues(call, kept);
    return status;
}
