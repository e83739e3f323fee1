#include "transfer/VerifiedUpload.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "link/Prompter.h"
#include "model/FileDigest.h"
#include "model/ReplyText.h"
#include "model/RequestDocuments.h"
#include "transfer/FileNames.h"

namespace {

constexpr char kVerifyText[] = "Verifying firmware image on the Device...";
constexpr int kVerifyTimeoutMs = 20000;
constexpr char kRemoveText[] = "Removing uploaded firmware image from the Device...";
constexpr int kRemoveTimeoutMs = 10000;

std::string TooLargeText(const std::string& localPath) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(localPath, error);
    return "The file " + localPath + " holds " + std::to_string(size) +
           " bytes; the device takes files of at most " + std::to_string(kMaxUploadBytes) +
           " bytes.";
}

std::string UnsafeNameText(const std::string& localPath) {
    const std::string_view name = LocalFileName(localPath);
    return "The file name \"" + std::string(name) + "\" cannot be sent to the device. " +
           FileNameProblem(name).value_or("");
}

std::string MismatchText(const std::string& localDigest, const std::string& gatewayDigest) {
    return "File upload failed.  MD5 sum should have been " + localDigest + ", but came back as " +
           gatewayDigest + ".\r\nSelect Retry to attempt the file upload again.";
}

std::string QueryStoredDigest(ScriptRunner& runner, std::string_view remotePath) {
    JobList jobs{{DigestQueryCommand(remotePath), kVerifyText, kVerifyTimeoutMs}};
    runner.Run(jobs);
    return GatewayDigest(jobs.front().GetResponse());
}

}  // namespace

bool AcceptUploadFile(Prompter& prompter, const std::string& localPath, UploadTarget target,
                      std::string_view openFailureText) {
    switch (CheckUploadFile(localPath, target)) {
        case UploadFileCheck::Ok:
            return true;
        case UploadFileCheck::CannotOpen:
            prompter.Warn(kIncorrectFileCaption, std::string(openFailureText), {});
            return false;
        case UploadFileCheck::TooLarge:
            prompter.Warn(kIncorrectFileCaption, TooLargeText(localPath), {});
            return false;
        case UploadFileCheck::UnsafeName:
            prompter.Warn(kIncorrectFileCaption, UnsafeNameText(localPath), {});
            return false;
    }
    return false;
}

std::string DigestQueryCommand(std::string_view remotePath) {
    return "at&usbinterface=41,\"" + std::string(remotePath) + "\"\r\n";
}

std::string RemovalCommand(std::string_view localPath, UploadTarget target) {
    const std::string_view name = LocalFileName(localPath);
    switch (target) {
        case UploadTarget::FirmwareImage:
            return InlineCommand(kDeleteFirmwareImage);
        case UploadTarget::RadioFile:
            return InlineCommand(FillFileName(kDeleteRadioFirmwareFile, name));
        case UploadTarget::PythonProgram:
            break;
    }
    return InlineCommand(FillFileName(kDeletePythonFile, name));
}

std::string GatewayDigest(std::string_view response) {
    return RemoveAll(RemoveAll(response, "\r"), "\n");
}

UploadVerdict RunVerifiedUpload(ScriptRunner& runner, UploadRunner& uploader, Prompter& prompter,
                                const std::string& localPath, UploadTarget target,
                                std::string_view openFailureText) {
    if (!AcceptUploadFile(prompter, localPath, target, openFailureText))
        return UploadVerdict::NotSent;
    // Digested once: a retry sends the same file again.
    const std::string localDigest = DigestFile(localPath).value_or("");
    const std::string remotePath = RemotePath(localPath, target);
    for (;;) {
        // A file gone since it was checked sent nothing: there is no digest to
        // ask for, and the user is told as if it had been gone before.
        if (uploader.Upload(localPath, target) == UploadOutcome::NotSent) {
            prompter.Warn(kIncorrectFileCaption, std::string(openFailureText), {});
            return UploadVerdict::NotSent;
        }
        const std::string gatewayDigest = QueryStoredDigest(runner, remotePath);
        if (gatewayDigest == localDigest)
            return UploadVerdict::Verified;
        if (!prompter.AskRetry("Error", MismatchText(localDigest, gatewayDigest), {}))
            return UploadVerdict::Cancelled;
        JobList removal{{RemovalCommand(localPath, target), kRemoveText, kRemoveTimeoutMs}};
        runner.Run(removal);
    }
}
