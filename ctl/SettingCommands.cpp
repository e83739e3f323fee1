#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "ctl/CtlCommands.h"
#include "ctl/DesiredSettings.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/InputFiles.h"
#include "ctl/JsonText.h"
#include "ctl/SettingPath.h"
#include "model/ConfigApply.h"
#include "model/ReplyText.h"
#include "model/RequestDocuments.h"
#include "model/SettingReadBack.h"
#include "model/UnreadReport.h"

namespace {

constexpr std::string_view kFromInput = "-";
constexpr std::string_view kHidden = "(hidden)";

// A setting whose value differs: what the gateway holds, and what is wanted
// (or, after the apply, what the gateway kept).
struct Change {
    std::string path;
    std::string old;
    std::string wanted;
};

// Nobody asked to see the password or the PIN; the terminal and a script's
// log would keep them.
std::string Shown(const std::string& path, const std::string& value) {
    return IsSecretPath(path) ? std::string(kHidden) : value;
}

// A list of every setting shows no secret unless asked; a path asked for by
// name prints what was asked for.
void HideListedSecrets(const CtlCall& call, std::vector<SettingValue>& values) {
    if (call.options.showSecrets)
        return;
    for (SettingValue& entry : values)
        entry.value = Shown(entry.path, entry.value);
}

void PrintValues(const CtlCall& call, const std::vector<SettingValue>& values) {
    std::ostream& out = call.environment.out;
    if (!call.options.json) {
        for (const SettingValue& entry : values)
            out << entry.path << '=' << entry.value << '\n';
        return;
    }
    out << '{';
    for (std::size_t i = 0; i < values.size(); ++i)
        out << (i ? ", " : "") << JsonQuote(values[i].path) << ": " << JsonQuote(values[i].value);
    out << "}\n";
}

// "unchanged", or "PATH: changed OLD -> NEW" for each; as JSON, the same with
// "changed" for whoever drives r7ctl (a configuration engine) to report.
// The JSON array of changes and the object's end; each entry names its two
// values with the keys given.
void PrintChangeList(std::ostream& out, const std::vector<Change>& changes, const char* oldKey,
                     const char* newKey) {
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const Change& change = changes[i];
        out << (i ? ", " : "") << "{\"path\": " << JsonQuote(change.path) << ", \"" << oldKey
            << "\": " << JsonQuote(Shown(change.path, change.old)) << ", \"" << newKey
            << "\": " << JsonQuote(Shown(change.path, change.wanted)) << '}';
    }
    out << "]}\n";
}

void PrintChanges(const CtlCall& call, const std::vector<Change>& changes) {
    std::ostream& out = call.environment.out;
    const char* verb = call.options.check ? "would change" : "changed";
    if (!call.options.json) {
        if (changes.empty())
            out << "unchanged\n";
        for (const Change& change : changes)
            out << change.path << ": " << verb << ' ' << Shown(change.path, change.old) << " -> "
                << Shown(change.path, change.wanted) << '\n';
        return;
    }
    out << "{\"changed\": " << (changes.empty() ? "false" : "true")
        << ", \"check\": " << (call.options.check ? "true" : "false") << ", \"changes\": [";
    PrintChangeList(out, changes, "old", "new");
}

// Opens the gateway and reads its settings alone; kExitSuccess or the status
// to end with.
int ReadSettings(GatewaySession& session) {
    const int status = session.OpenAndQuery({kSettingsQuery});
    if (status == kExitSuccess && session.Model().SettingsDocument() == nullptr)
        return kExitRefused;
    return status;
}

// "PATH=-" takes its value from standard input, so that a password need not
// stand in the command line or the shell's history. The one line feed that
// echo or a here-string adds is not part of it. Reading stops once the value
// could not fit in the settings reply the gateway would have to send back.
bool ReadValueFromInput(CtlCall& call, std::string& value) {
    const int error = ReadBoundedStream(*call.environment.in, kBaseReplyBytes + 1, value);
    if (error == EIO) {
        call.environment.err << "r7ctl set: the value could not be read from standard input\n";
        return false;
    }
    if (error == 0 && value.ends_with('\n'))
        value.pop_back();
    if (error == EFBIG || value.size() > kBaseReplyBytes) {
        call.environment.err << "r7ctl set: the value on standard input is longer than the "
                             << kBaseReplyBytes
                             << " bytes the gateway's settings reply is read into; nothing was "
                                "sent\n";
        return false;
    }
    return true;
}

bool IsForbiddenControl(char byte) {
    const auto code = static_cast<unsigned char>(byte);
    return code < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
}

// The document carries its text as UTF-8, and XML holds no control character
// but tab, line feed and carriage return: anything else would reach the
// gateway as something other than what was given, or spoil the document.
bool AreSettingTexts(CtlCall& call, const std::vector<SettingValue>& entries) {
    for (const SettingValue& entry : entries) {
        const char* problem = nullptr;
        if (!IsValidUtf8(entry.value))
            problem = "is not valid UTF-8";
        else if (std::any_of(entry.value.begin(), entry.value.end(), IsForbiddenControl))
            problem = "holds a control character that a settings document cannot carry";
        if (problem != nullptr) {
            call.environment.err << "r7ctl: the value of " << entry.path << ' ' << problem
                                 << "; nothing was sent\n";
            return false;
        }
    }
    return true;
}

bool ParseAssignments(CtlCall& call, std::vector<SettingValue>& assignments) {
    bool inputTaken = false;
    for (const std::string& argument : call.args) {
        SettingValue entry;
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
        assignments.push_back(entry);
    }
    return AreSettingTexts(call, assignments);
}

// Reads a desired-state file (or standard input for "-"); false after saying
// why it cannot be used.
bool ReadDesiredFile(CtlCall& call, const std::string& path, std::vector<SettingValue>& values) {
    std::string content;
    if (const int error = ReadInput(path, *call.environment.in, content)) {
        call.environment.err << "r7ctl: cannot read " << path << ": " << std::strerror(error)
                             << '\n';
        return false;
    }
    std::string problem;
    if (!ParseDesiredSettings(content, path, values, problem)) {
        call.environment.err << "r7ctl: " << path << " is not a settings file: " << problem << '\n';
        return false;
    }
    return AreSettingTexts(call, values);
}

// A path that names a settings group is a wrong command line: kExitUsage
// after naming each, or kExitSuccess.
int RefuseGroups(CtlCall& call, xmlNodePtr groups, const std::vector<std::string>& paths) {
    int status = kExitSuccess;
    for (const std::string& path : paths) {
        if (NamesSettingsGroup(groups, path)) {
            call.environment.err << "r7ctl: " << path
                                 << " is a settings group, not a setting; name one of its "
                                    "settings (r7ctl get --list shows them)\n";
            status = kExitUsage;
        }
    }
    return status;
}

// Every path must name a setting the gateway reported: nothing is sent
// otherwise, since the gateway's document never gains new elements, and a
// group's text is no value. kExitSuccess or the status to end with.
int CheckPaths(CtlCall& call, xmlNodePtr groups, const std::vector<SettingValue>& entries) {
    std::vector<std::string> paths;
    for (const SettingValue& entry : entries)
        paths.push_back(entry.path);
    if (const int status = RefuseGroups(call, groups, paths); status != kExitSuccess)
        return status;
    int status = kExitSuccess;
    for (const std::string& path : paths) {
        if (!ReadSettingPath(groups, path)) {
            call.environment.err << "r7ctl: the gateway reports no setting " << path << '\n';
            status = kExitRefused;
        }
    }
    return status;
}

// The wanted values that differ from the gateway's, each path once (the last
// value given for it counts).
std::vector<Change> FindChanges(xmlNodePtr groups, const std::vector<SettingValue>& wanted) {
    std::vector<Change> changes;
    for (auto entry = wanted.rbegin(); entry != wanted.rend(); ++entry) {
        const bool later = std::ranges::any_of(
            changes, [&entry](const Change& change) { return change.path == entry->path; });
        const std::string old = ReadSettingPath(groups, entry->path).value_or("");
        if (!later && old != entry->value)
            changes.insert(changes.begin(), {entry->path, old, entry->value});
    }
    return changes;
}

// Sends the changed values alone and reads the settings back; kExitSuccess or
// the status to end with.
int SendChanges(CtlCall& call, GatewaySession& session, const std::vector<Change>& changes) {
    ConfigModel& model = session.Model();
    std::vector<std::string> paths;
    for (const Change& change : changes) {
        WriteSettingPath(model.SettingsGroups(), change.path, change.wanted);
        paths.push_back(change.path);
    }
    const ApplyResult applied = ApplyConfigurationChanges(session.Runner(), model, paths);
    ReportUnreadReplies(session.Questions(), applied.unread);
    if (applied.tooLarge) {
        call.environment.err << "r7ctl: with these values the gateway's settings reply would "
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
    return kExitSuccess;
}

// What the gateway kept of each change, read back: only what really changed
// is reported, and every value it did not keep fails the command.
int ReadBack(CtlCall& call, xmlNodePtr groups, std::vector<Change>& changes) {
    std::vector<SentSetting> sent;
    for (const Change& change : changes)
        sent.push_back({change.path, change.wanted});
    const std::vector<KeptSetting> others = FindSettingsNotKept(groups, sent);
    for (const KeptSetting& other : others) {
        if (IsSecretPath(other.path))
            call.environment.err << "r7ctl: the gateway did not keep the value given for "
                                 << other.path << '\n';
        else
            call.environment.err << "r7ctl: the gateway kept " << other.path << '=' << other.kept
                                 << ", not " << other.sent << '\n';
    }
    std::vector<Change> kept;
    for (const Change& change : changes) {
        const std::string value = ReadSettingPath(groups, change.path).value_or("");
        if (value != change.old)
            kept.push_back({change.path, change.old, value});
    }
    changes = kept;
    return others.empty() ? kExitSuccess : kExitRefused;
}

// Reads the gateway's settings and where they differ from `wanted`;
// kExitSuccess or the status to end with.
int ReadChanges(CtlCall& call, GatewaySession& session, const std::vector<SettingValue>& wanted,
                std::vector<Change>& changes) {
    if (const int status = ReadSettings(session); status != kExitSuccess)
        return status;
    const xmlNodePtr groups = session.Model().SettingsGroups();
    if (const int status = CheckPaths(call, groups, wanted); status != kExitSuccess)
        return status;
    changes = FindChanges(groups, wanted);
    return kExitSuccess;
}

}  // namespace

int MakeSettings(CtlCall& call, GatewaySession& session, const std::vector<SettingValue>& wanted) {
    std::vector<Change> changes;
    if (const int status = ReadChanges(call, session, wanted, changes); status != kExitSuccess)
        return status;
    if (changes.empty() || call.options.check) {
        PrintChanges(call, changes);
        return kExitSuccess;
    }
    if (const int status = SendChanges(call, session, changes); status != kExitSuccess)
        return status;
    const int status = ReadBack(call, session.Model().SettingsGroups(), changes);
    PrintChanges(call, changes);
    return status;
}

namespace {

void PrintDifferences(const CtlCall& call, const std::vector<Change>& differences) {
    std::ostream& out = call.environment.out;
    if (!call.options.json) {
        for (const Change& entry : differences)
            out << entry.path << ": " << Shown(entry.path, entry.old) << " -> "
                << Shown(entry.path, entry.wanted) << '\n';
        return;
    }
    out << "{\"equal\": " << (differences.empty() ? "true" : "false") << ", \"differences\": [";
    PrintChangeList(out, differences, "gateway", "file");
}

}  // namespace

int RunGet(CtlCall& call) {
    if (call.args.empty() == !call.options.list) {
        call.environment.err << "r7ctl: usage: r7ctl get PATH... | get --list\n";
        return kExitUsage;
    }
    GatewaySession session(call.options, call.environment);
    if (const int status = ReadSettings(session); status != kExitSuccess)
        return status;
    const xmlNodePtr groups = session.Model().SettingsGroups();
    if (call.options.list) {
        std::vector<SettingValue> values = ListSettingPaths(groups);
        HideListedSecrets(call, values);
        PrintValues(call, values);
        return kExitSuccess;
    }
    if (const int status = RefuseGroups(call, groups, call.args); status != kExitSuccess)
        return status;
    std::vector<SettingValue> values;
    int status = kExitSuccess;
    for (const std::string& path : call.args) {
        if (const std::optional<std::string> value = ReadSettingPath(groups, path)) {
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
    std::vector<SettingValue> wanted;
    if (!ParseAssignments(call, wanted))
        return kExitUsage;
    GatewaySession session(call.options, call.environment);
    return MakeSettings(call, session, wanted);
}

int RunApply(CtlCall& call) {
    std::vector<SettingValue> wanted;
    if (!ReadDesiredFile(call, call.args[0], wanted))
        return kExitUsage;
    GatewaySession session(call.options, call.environment);
    return MakeSettings(call, session, wanted);
}

int RunDiff(CtlCall& call) {
    std::vector<SettingValue> wanted;
    if (!ReadDesiredFile(call, call.args[0], wanted))
        return kExitUsage;
    GatewaySession session(call.options, call.environment);
    std::vector<Change> differences;
    if (const int status = ReadChanges(call, session, wanted, differences); status != kExitSuccess)
        return status;
    PrintDifferences(call, differences);
    return differences.empty() ? kExitSuccess : kExitRefused;
}
