#pragma once

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

// The inline request that removes the uploaded file from the gateway.
std::string RemovalCommand(std::string_view localPath, UploadTarget target);

// The digest in a digest query's response: the text without its line breaks.
std::string GatewayDigest(std::string_view response);

enum class UploadVerdict {
    Verified,   // the gateway holds exactly the local file
    Cancelled,  // a mismatch, and the user chose Cancel; the stored file stays
    NotSent     // the local file was refused (the user was told); nothing sent
};

// The verified upload loop: digest the local file once; then upload, query the
// stored file's digest ("Verifying firmware image on the Device...", 20 s) and
// compare. On a mismatch the user sees "File upload failed.  MD5 sum should
// have been ..." with Retry and Cancel; Retry removes the stored file
// ("Removing uploaded firmware image from the Device...", 10 s) and uploads
// again. `openFailureText` as for AcceptUploadFile; it is also shown, and
// nothing more is sent, when the file can no longer be read as an upload
// begins (the upload sent nothing, so there is no digest to compare).
UploadVerdict RunVerifiedUpload(ScriptRunner& runner, UploadRunner& uploader, Prompter& prompter,
                                const std::string& localPath, UploadTarget target,
                                std::string_view openFailureText);
