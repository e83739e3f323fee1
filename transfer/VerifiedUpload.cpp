#include "transfer/VerifiedUpload.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <system_error>

#include "link/LinkMessages.h"
#include "link/Prompter.h"
#include "model/FileDigest.h"
#include "model/ReplyText.h"
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

CommandJob QueryStoredDigest(ScriptRunner& runner, std::string_view remotePath) {
    JobList jobs{{DigestQueryCommand(remotePath), kVerifyText, kVerifyTimeoutMs}};
    runner.Run(jobs);
    return jobs.front();
}

}  // namespace

bool AcceptUploadFile(Prompter& prompter, const std::string& localPath, UploadTarget target,
                      std::string_view openFailureText) {
    switch (CheckUploadFile(localPath, target)) {
        case UploadFileCheck::Ok:
            return true;
        case UploadFileCheck::CannotOpen:
            prompter.Warn(kIncorrectFileCaption, std::string(openFailureText), {},
                          MessageKind::Error);
            return false;
        case UploadFileCheck::NotRegular:
            prompter.Warn(kIncorrectFileCaption,
                          "The file " + localPath +
                              " is not a regular file (it is a named pipe, a device or a folder), "
                              "so it cannot be sent to the device.",
                          {}, MessageKind::Error);
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

std::string GatewayDigest(std::string_view response) {
    return RemoveAll(RemoveAll(response, "\r"), "\n");
}

bool DigestVerified(const std::optional<std::string>& localDigest, const CommandJob& query) {
    constexpr std::size_t kDigestDigits = 32;
    const std::string answer = GatewayDigest(query.GetResponse());
    const auto sameDigit = [](char a, char b) {
        return std::isxdigit(static_cast<unsigned char>(a)) &&
               std::tolower(static_cast<unsigned char>(a)) ==
                   std::tolower(static_cast<unsigned char>(b));
    };
    return localDigest && localDigest->size() == kDigestDigits &&
           query.GetStatus() == CommandJob::kSucceeded && answer.size() == kDigestDigits &&
           std::equal(answer.begin(), answer.end(), localDigest->begin(), sameDigit);
}

bool ReportUnverifiable(Prompter& prompter, UploadOutcome outcome, const std::string& localPath,
                        std::string_view openFailureText) {
    switch (outcome) {
        case UploadOutcome::NotSent:
            // Gone since it was checked: the upload sent nothing.
            prompter.Warn(kIncorrectFileCaption, std::string(openFailureText), {},
                          MessageKind::Error);
            return true;
        case UploadOutcome::Lost:
            prompter.Warn(kUndetectedTitle,
                          "The Linkhold R7 stopped taking the file " + localPath +
                              ", so it was not stored. Please verify that the device is powered "
                              "and connected to USB.",
                          {});
            return true;
        case UploadOutcome::Stopped:
            return true;
        case UploadOutcome::Refused:
        case UploadOutcome::Cut:
        case UploadOutcome::Sent:
            break;
    }
    return false;
}

UploadVerdict RunVerifiedUpload(ScriptRunner& runner, UploadRunner& uploader, Prompter& prompter,
                                const std::string& localPath, UploadTarget target,
                                std::string_view openFailureText) {
    if (!AcceptUploadFile(prompter, localPath, target, openFailureText))
        return UploadVerdict::NotSent;
    // Digested once: a retry sends the same file again.
    const std::optional<std::string> localDigest = DigestFile(localPath);
    const std::string remotePath = RemotePath(localPath, target);
    for (;;) {
        const UploadOutcome outcome = uploader.Upload(localPath, target);
        if (ReportUnverifiable(prompter, outcome, localPath, openFailureText))
            return outcome == UploadOutcome::NotSent ? UploadVerdict::NotSent
                                                     : UploadVerdict::Cancelled;
        const CommandJob query = QueryStoredDigest(runner, remotePath);
        if (DigestVerified(localDigest, query))
            return UploadVerdict::Verified;
        if (!prompter.AskRetry(
                "Error", MismatchText(localDigest.value_or(""), GatewayDigest(query.GetResponse())),
                {}, MessageKind::Error))
            return UploadVerdict::Cancelled;
        JobList removal{{RemovalCommand(localPath, target), kRemoveText, kRemoveTimeoutMs}};
        runner.Run(removal);
    }
}
