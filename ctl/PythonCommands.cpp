#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/InputFiles.h"
#include "ctl/JsonText.h"
#include "model/FileDigest.h"
#include "transfer/FileNames.h"
#include "transfer/PythonFiles.h"
#include "transfer/VerifiedUpload.h"

namespace {

std::optional<GatewayFile> FindFile(const std::vector<GatewayFile>& files,
                                    const std::string& name) {
    const auto found =
        std::ranges::find_if(files, [&name](const GatewayFile& file) { return file.name == name; });
    if (found == files.end())
        return std::nullopt;
    return *found;
}

// Said when the gateway's program list did not come back readable.
int ListNotRead(CtlCall& call) {
    call.environment.err << "r7ctl: the gateway did not send its program list\n";
    return kExitRefused;
}

std::string LowerCase(std::string text) {
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// "unchanged" or "uploaded NAME"; as JSON with "changed".
void PrintUpload(CtlCall& call, bool changed, const std::string& name, const std::string& digest) {
    std::ostream& out = call.environment.out;
    if (call.options.json)
        out << "{\"changed\": " << (changed ? "true" : "false") << ", \"name\": " << JsonQuote(name)
            << ", \"digest\": " << JsonQuote(digest) << "}\n";
    else if (!changed)
        out << "unchanged\n";
    else
        out << (call.options.check ? "would upload " : "uploaded ") << name << '\n';
}

// Opens the gateway and finds the named program; kExitSuccess or the status to
// end with.
int FindProgram(CtlCall& call, GatewaySession& session, const std::string& name,
                GatewayFile& file) {
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    const std::optional<std::vector<GatewayFile>> files = ListPythonFiles(session.Runner());
    if (!files)
        return ListNotRead(call);
    const std::optional<GatewayFile> found = FindFile(*files, name);
    if (!found) {
        call.environment.err << "r7ctl: the gateway has no program " << name << '\n';
        return kExitRefused;
    }
    file = *found;
    return kExitSuccess;
}

}  // namespace

int RunPythonList(CtlCall& call) {
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    const std::optional<std::vector<GatewayFile>> listed = ListPythonFiles(session.Runner());
    if (!listed)
        return ListNotRead(call);
    const std::vector<GatewayFile>& files = *listed;
    std::ostream& out = call.environment.out;
    if (call.options.json) {
        out << '[';
        for (std::size_t i = 0; i < files.size(); ++i) {
            out << (i ? ", " : "") << "{\"name\": " << JsonQuote(files[i].name)
                << ", \"size\": " << JsonNumber(files[i].size) << '}';
        }
        out << "]\n";
    } else {
        for (const GatewayFile& file : files)
            out << file.name << '\t' << file.size << '\n';
    }
    return kExitSuccess;
}

int RunPythonGet(CtlCall& call) {
    const std::string& name = call.args[0];
    GatewaySession session(call.options, call.environment);
    GatewayFile file;
    if (const int status = FindProgram(call, session, name, file); status != kExitSuccess)
        return status;
    session.Questions().SetSaveDestination(call.args.size() > 1 ? call.args[1] : name);
    DownloadPythonFiles(session.Runner(), session.Questions(), {file});
    return session.Questions().Failed() ? kExitRefused : kExitSuccess;
}

int RunPythonPut(CtlCall& call) {
    const std::string& path = call.args[0];
    if (const std::optional<std::string> reason = UnreadableFileReason(path)) {
        call.environment.err << "r7ctl: cannot open " << path << ": " << *reason << '\n';
        return kExitRefused;
    }
    const std::string name(LocalFileName(path));
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    const std::optional<std::string> localDigest = DigestFile(path);
    // The same comparison as the check after an upload: equal digests mean
    // the gateway already holds exactly this file.
    const bool compare = call.options.ifChanged || call.options.check;
    if (compare && DigestVerified(localDigest, QueryProgramDigest(session.Runner(), name))) {
        PrintUpload(call, false, name, *localDigest);
        return kExitSuccess;
    }
    if (call.options.check) {
        PrintUpload(call, true, name, localDigest.value_or(""));
        return kExitSuccess;
    }
    const PythonUploadResult result =
        UploadPythonProgram(session.Runner(), session.Uploader(), session.Questions(), path);
    if (!result.verified)
        return kExitRefused;
    PrintUpload(call, true, name, localDigest.value_or(""));
    return kExitSuccess;
}

int RunPythonDigest(CtlCall& call) {
    const std::string& name = call.args[0];
    if (const std::optional<std::string> problem = FileNameProblem(name)) {
        call.environment.err << "r7ctl: " << name << " cannot name a program: " << *problem << '\n';
        return kExitUsage;
    }
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    const CommandJob query = QueryProgramDigest(session.Runner(), name);
    const std::string digest = LowerCase(GatewayDigest(query.GetResponse()));
    // A digest compared with itself passes only when it is one: 32
    // hexadecimal digits in an answer that ended with OK.
    if (!DigestVerified(digest, query)) {
        call.environment.err << "r7ctl: the gateway gave no digest for " << name
                             << " (no such program?)\n";
        return kExitRefused;
    }
    if (call.options.json)
        call.environment.out << "{\"name\": " << JsonQuote(name)
                             << ", \"digest\": " << JsonQuote(digest) << "}\n";
    else
        call.environment.out << digest << '\n';
    return kExitSuccess;
}

int RunPythonRemove(CtlCall& call) {
    const std::string& name = call.args[0];
    GatewaySession session(call.options, call.environment);
    GatewayFile file;
    if (const int status = FindProgram(call, session, name, file); status != kExitSuccess)
        return status;
    // Removed only when the list read back no longer holds it.
    const std::optional<std::vector<GatewayFile>> left =
        DeletePythonFiles(session.Runner(), session.Questions(), {file});
    if (!left)
        return ListNotRead(call);
    if (session.Questions().Failed() || FindFile(*left, name)) {
        call.environment.err << "r7ctl: the gateway still lists " << name << '\n';
        return kExitRefused;
    }
    if (call.options.json)
        call.environment.out << "{\"changed\": true, \"name\": " << JsonQuote(name) << "}\n";
    return kExitSuccess;
}
