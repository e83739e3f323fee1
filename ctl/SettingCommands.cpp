#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/JsonText.h"
#include "ctl/SettingPath.h"
#include "model/ConfigApply.h"
#include "model/ReplyText.h"
#include "model/UnreadReport.h"

namespace {

struct Assignment {
    std::string path;
    std::string value;
};

constexpr std::string_view kFromInput = "-";
constexpr std::string_view kHidden = "(hidden)";

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

// "PATH=-" takes its value from standard input, so that a password need not
// stand in the command line or the shell's history. The one line feed that
// echo or a here-string adds is not part of it.
bool ReadValueFromInput(CtlCall& call, std::string& value) {
    std::istream& in = *call.environment.in;
    value.assign(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) {
        call.environment.err << "r7ctl set: the value could not be read from standard input\n";
        return false;
    }
    if (value.ends_with('\n'))
        value.pop_back();
    return true;
}

bool IsForbiddenControl(char byte) {
    const auto code = static_cast<unsigned char>(byte);
    return code < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
}

// The document carries its text as UTF-8, and XML holds no control character
// but tab, line feed and carriage return: anything else would reach the
// gateway as something other than what was given, or spoil the document.
bool IsSettingText(CtlCall& call, const Assignment& entry) {
    const char* problem = nullptr;
    if (!IsValidUtf8(entry.value))
        problem = "is not valid UTF-8";
    else if (std::any_of(entry.value.begin(), entry.value.end(), IsForbiddenControl))
        problem = "holds a control character that a settings document cannot carry";
    if (problem != nullptr)
        call.environment.err << "r7ctl set: the value of " << entry.path << ' ' << problem
                             << "; nothing was sent\n";
    return problem == nullptr;
}

bool ParseAssignments(CtlCall& call, std::vector<Assignment>& assignments) {
    bool inputTaken = false;
    for (const std::string& argument : call.args) {
        Assignment entry;
        if (!SplitAssignment(argument, entry.path, entry.value)) {
            call.environment.err << "r7ctl set: '" << argument << "' is not PATH=VALUE\n";
            return false;
        }
        if (entry.value == kFromInput) {
            if (inputTaken) {
                call.environment.err << "r7ctl set: only one value can be read from standard "
                                        "input\n";
                return false;
            }
            inputTaken = true;
            if (!ReadValueFromInput(call, entry.value))
                return false;
        }
        if (!IsSettingText(call, entry))
            return false;
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
    if (applied.tooLarge) {
        call.environment.err << "r7ctl set: with these values the gateway's settings reply would "
                                "exceed the "
                             << kBaseReplyBytes
                             << " bytes it is read into, and no later backup or get could read "
                                "the gateway; nothing was sent\n";
        return kExitUsage;
    }
    if (!applied.reloaded) {
        // The tree still holds what was asked, not what the gateway kept.
        call.environment.err << "r7ctl: the gateway did not report its settings after the apply\n";
        return kExitRefused;
    }

    std::vector<Assignment> kept;
    int status = kExitSuccess;
    for (const Assignment& entry : wanted) {
        const std::string value = ReadSettingPath(model.SettingsGroups(), entry.path).value_or("");
        // Nobody asked to see the password or the PIN; the terminal and a
        // script's log would keep them.
        const bool secret = IsSecretPath(entry.path);
        kept.push_back({entry.path, secret ? std::string(kHidden) : value});
        if (value == entry.value)
            continue;
        status = kExitRefused;
        if (secret)
            call.environment.err << "r7ctl: the gateway did not keep the value given for "
                                 << entry.path << '\n';
        else
            call.environment.err << "r7ctl: the gateway kept " << entry.path << '=' << value
                                 << ", not " << entry.value << '\n';
    }
    PrintValues(call, kept);
    return status;
}
