#include "transfer/PythonFiles.h"

#include <algorithm>
#include <cstring>

#include "link/Prompter.h"
#include "model/ElementSearch.h"
#include "model/FileDigest.h"
#include "model/ReplyText.h"
#include "model/RequestDocuments.h"
#include "model/XmlDocument.h"
#include "model/XmlString.h"
#include "transfer/Base64.h"
#include "transfer/FileNames.h"
#include "transfer/VerifiedUpload.h"
#include "transfer/WholeFileWrite.h"

namespace {

constexpr int kElement = XML_ELEMENT_NODE;
constexpr std::size_t kShortestNameColumn = 12;
constexpr std::size_t kSizeColumn = 8;

constexpr char kListText[] = "Retrieving file list from the Device...";
constexpr char kDeleteText[] = "Deleting file from the Device...";
constexpr char kVerifyUploadText[] = "Verifying upload...";
constexpr int kDigestTimeoutMs = 15000;
constexpr char kDownloadFailedText[] =
    "File download failed.\r\nSelect Retry to attempt the file download again.";
constexpr char kOpenFailureText[] = "Unable to open the python file to send.";

std::string PythonPath(std::string_view name) {
    return "/WEB/python/" + std::string(name);
}

xmlNodePtr CommandElement(xmlDocPtr document, std::string_view name) {
    return FindChildElement(
        FindChildElement(xmlDocGetRootElement(document), kElement, "do_command"), kElement, name);
}

// Refuses a gateway name that cannot travel in a command, telling the user why.
bool AcceptGatewayName(Prompter& prompter, const std::string& name) {
    const std::optional<std::string> problem = FileNameProblem(name);
    if (!problem)
        return true;
    prompter.Warn(
        "Error",
        "The file \"" + ToValidUtf8(name) + "\" cannot be addressed on the device. " + *problem,
        {});
    return false;
}

// The buffer a fetch reply needs beyond the base: the Base64 text of the file
// (4 characters for every 3 bytes) with its line breaks and the document
// around it. A listed size beyond what the device takes in an upload is not
// believed, so a wrong listing cannot make the worker claim gigabytes.
int FetchExtraBytes(const std::string& sizeText) {
    const std::uint64_t size = static_cast<std::uint64_t>(std::max(LeadingInteger(sizeText), 0));
    return static_cast<int>(std::min(size, kMaxUploadBytes) * 2);
}

JobList FetchScript(const GatewayFile& file) {
    const std::string text =
        "Retrieving " + file.name + " (" + file.size + " bytes) from the Device...";
    CommandJob fetch(std::string(FillFileName(kReadPythonFile, file.name)), text, 40000);
    fetch.SetExtra(FetchExtraBytes(file.size));
    return {{std::string(kDocumentRequestCommand), text, 10000},
            fetch,
            {DigestQueryCommand(PythonPath(file.name)), text, 15000}};
}

// Writes the whole file or nothing; the reason on failure.
std::optional<std::string> WriteLocalFile(const std::string& path, const std::string& bytes) {
    if (const int error = WriteWholeFile(path, bytes))
        return std::strerror(error);
    return std::nullopt;
}

enum class DownloadStep { Done, Again };

// One attempt at one file: fetch, save, compare.
DownloadStep DownloadOnce(ScriptRunner& runner, Prompter& prompter, const GatewayFile& file) {
    JobList jobs = FetchScript(file);
    runner.Run(jobs);
    const CommandJob& digestQuery = jobs[2];
    const std::optional<FetchedFile> fetched = ParseFetchReply(jobs[1].GetResponse());
    if (!fetched)
        return prompter.AskRetry("Error", kDownloadFailedText, {}, MessageKind::Error)
                   ? DownloadStep::Again
                   : DownloadStep::Done;
    const std::string path =
        prompter.ChooseSaveFile("Save As", fetched->name.empty() ? file.name : fetched->name, {});
    if (path.empty())
        return DownloadStep::Done;
    if (const std::optional<std::string> reason = WriteLocalFile(path, fetched->bytes)) {
        prompter.Warn("Error", "Unable to write " + path + ".\n" + *reason, {}, MessageKind::Error);
        return DownloadStep::Again;
    }
    const std::optional<std::string> localDigest = DigestFile(path);
    if (DigestVerified(localDigest, digestQuery))
        return DownloadStep::Done;
    const std::string text = "File download failed.  MD5 sum should have been " +
                             localDigest.value_or("") + ", but came back as " +
                             GatewayDigest(digestQuery.GetResponse()) +
                             ".\r\nSelect Retry to attempt the file download again.";
    return prompter.AskRetry("Error", text, {}, MessageKind::Error) ? DownloadStep::Again
                                                                    : DownloadStep::Done;
}

}  // namespace

std::optional<std::vector<GatewayFile>> ParseFileList(std::string_view reply) {
    const XmlDocument document = ParseXmlText(TrimReply(reply), "python.xml");
    if (!document)
        return std::nullopt;
    const xmlNodePtr list = CommandElement(document.get(), "ls");
    if (list == nullptr)
        return std::nullopt;
    std::vector<GatewayFile> files;
    for (xmlNodePtr entry = list->children; entry != nullptr;
         entry = FindNextElement(entry, kElement, "file")) {
        GatewayFile file;
        if (entry->type == XML_ELEMENT_NODE && ReadAttribute(entry, "name", file.name) &&
            ReadAttribute(entry, "size", file.size))
            files.push_back(std::move(file));
    }
    return files;
}

std::size_t NameColumnWidth(const std::vector<GatewayFile>& files) {
    std::size_t width = kShortestNameColumn;
    for (const GatewayFile& file : files)
        width = std::max(width, file.name.size());
    return width;
}

std::string FormatFileLine(const GatewayFile& file, std::size_t nameWidth) {
    std::string line = file.name;
    line.resize(std::max(nameWidth, line.size()), ' ');
    line += "    ";
    line += file.size;
    line.resize(std::max(line.size(), nameWidth + 4 + kSizeColumn), ' ');
    return line;
}

std::optional<FetchedFile> ParseFetchReply(std::string_view reply) {
    const XmlDocument document = ParseXmlText(TrimReply(reply), "filedata.xml");
    if (!document)
        return std::nullopt;
    const xmlNodePtr getFile = CommandElement(document.get(), "get_file");
    const xmlNodePtr data = FindChildElement(getFile, kElement, "data");
    if (data == nullptr)
        return std::nullopt;
    std::string path;
    ReadAttribute(getFile, "name", path);
    return FetchedFile{std::string(LocalFileName(path)), DecodeBase64(NodeContent(data))};
}

JobList ListScript() {
    return {{std::string(kDocumentRequestCommand), kListText, 5000},
            {std::string(kListPythonFiles), kListText, 30000}};
}

std::optional<std::vector<GatewayFile>> ListedFiles(const JobList& jobs) {
    const CommandJob& list = jobs.back();
    if (!list.Answered() || list.GetStatus() == CommandJob::kFailed)
        return std::nullopt;
    return ParseFileList(list.GetResponse());
}

std::optional<std::vector<GatewayFile>> ListPythonFiles(ScriptRunner& runner) {
    JobList jobs = ListScript();
    runner.Run(jobs);
    return ListedFiles(jobs);
}

void DownloadPythonFiles(ScriptRunner& runner, Prompter& prompter,
                         const std::vector<GatewayFile>& files) {
    for (const GatewayFile& file : files) {
        if (!AcceptGatewayName(prompter, file.name))
            continue;
        while (DownloadOnce(runner, prompter, file) == DownloadStep::Again) {
        }
    }
}

std::optional<std::vector<GatewayFile>> DeletePythonFiles(ScriptRunner& runner, Prompter& prompter,
                                                          const std::vector<GatewayFile>& files) {
    JobList jobs;
    for (const GatewayFile& file : files) {
        if (AcceptGatewayName(prompter, file.name))
            jobs.emplace_back(InlineCommand(FillFileName(kDeletePythonFile, file.name)),
                              kDeleteText, 10000);
    }
    const JobList list = ListScript();
    jobs.insert(jobs.end(), list.begin(), list.end());
    runner.Run(jobs);
    return ListedFiles(jobs);
}

CommandJob QueryProgramDigest(ScriptRunner& runner, const std::string& name) {
    JobList jobs{{DigestQueryCommand(PythonPath(name)), kVerifyUploadText, kDigestTimeoutMs}};
    if (!FileNameProblem(name))
        runner.Run(jobs);
    return jobs.front();
}

PythonUploadResult UploadPythonProgram(ScriptRunner& runner, UploadRunner& uploader,
                                       Prompter& prompter, const std::string& localPath) {
    if (localPath.empty()) {
        prompter.Warn("Please enter a Filename", "You must select the python file to send.", {},
                      MessageKind::Error);
        return {};
    }
    if (!AcceptUploadFile(prompter, localPath, UploadTarget::PythonProgram, kOpenFailureText))
        return {};
    const std::string remotePath = RemotePath(localPath, UploadTarget::PythonProgram);
    PythonUploadResult result;
    for (;;) {
        // Taken again for every attempt: the file may have been fixed meanwhile.
        const std::optional<std::string> localDigest = DigestFile(localPath);
        const UploadOutcome outcome = uploader.Upload(localPath, UploadTarget::PythonProgram);
        if (ReportUnverifiable(prompter, outcome, localPath, kOpenFailureText))
            return result;
        JobList jobs{{DigestQueryCommand(remotePath), kVerifyUploadText, kDigestTimeoutMs}};
        const JobList list = ListScript();
        jobs.insert(jobs.end(), list.begin(), list.end());
        runner.Run(jobs);
        result.files = ListedFiles(jobs).value_or(std::vector<GatewayFile>{});
        result.verified = DigestVerified(localDigest, jobs.front());
        if (result.verified ||
            !prompter.AskRetry("Error", "The file " + localPath + " did not correctly transfer.",
                               {}, MessageKind::Error))
            return result;
    }
}
