#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/ScriptRunner.h"
#include "transfer/UploadRunner.h"

class Prompter;

// Uploads that are checked end to end: after the upload the gateway is asked
// for the MD5 digest of the stored file, which must equal the local file's
// (DigestFile); a mismatch offers Retry and Cancel. Used by the firmware
// update page (UploadTarget::FirmwareImage) and the radio page
// (UploadTarget::RadioFile); the Python page runs its own variant
// (UploadPythonProgram).

// Caption of every refusal of a local file.
inline constexpr char kIncorrectFileCaption[] = "Please enter a correct Filename";

// Checks the local file (CheckUploadFile) and, when it cannot be sent, tells
// the user why: `openFailureText` when it cannot be opened (each page words
// this itself), otherwise the size limit or the name's problem. Nothing is
// sent. True when the file can be uploaded.
bool AcceptUploadFile(Prompter& prompter, const std::string& localPath, UploadTarget target,
                      std::string_view openFailureText);

// "at&usbinterface=41,\"<remote path>\"\r\n": the gateway's digest of a stored file.
std::string DigestQueryCommand(std::string_view remotePath);

// The digest in a digest query's response: the text without its line breaks.
std::string GatewayDigest(std::string_view response);

// Whether a digest query's job proves that the gateway holds the local file:
// the local digest was computed, the gateway answered with an OK status, and
// its answer (GatewayDigest) is exactly 32 hexadecimal digits equal to the
// local digest, ignoring case. Anything else (no local digest, an ERROR
// status, no answer, a malformed one) is a mismatch. The one rule for every
// upload and download.
bool DigestVerified(const std::optional<std::string>& localDigest, const CommandJob& query);

// After an upload that left nothing to verify, tells the user why: a file
// that could no longer be read (`openFailureText`), or a gateway that stopped
// taking it. A stop on request needs no message. False when the upload was
// sent and its digest is to be asked for.
bool ReportUnverifiable(Prompter& prompter, UploadOutcome outcome, const std::string& localPath,
                        std::string_view openFailureText);

enum class UploadVerdict {
    Verified,   // the gateway holds exactly the local file
    Cancelled,  // a mismatch, and the user chose Cancel; the stored file stays
    NotSent     // the local file was refused (the user was told); nothing sent
};

// The verified upload loop: digest the local file once; then upload, query the
// stored file's digest ("Verifying firmware image on the Device...", 20 s) and
// compare (DigestVerified). On a mismatch the user sees "File upload failed.
// MD5 sum should have been ..." with Retry and Cancel; Retry removes the
// stored file ("Removing uploaded firmware image from the Device...", 10 s)
// and uploads again. `openFailureText` as for AcceptUploadFile. An upload
// that left nothing to verify (ReportUnverifiable) ends the loop as Cancelled.
UploadVerdict RunVerifiedUpload(ScriptRunner& runner, UploadRunner& uploader, Prompter& prompter,
                                const std::string& localPath, UploadTarget target,
                                std::string_view openFailureText);
