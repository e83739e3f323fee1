#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/JsonText.h"
#include "transfer/PythonFiles.h"

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
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    const PythonUploadResult result = UploadPythonProgram(session.Runner(), session.Uploader(),
                                                          session.Questions(), call.args[0]);
    return result.verified ? kExitSuccess : kExitRefused;
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
    return kExitSuccess;
}
