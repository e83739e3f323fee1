#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/ScriptRunner.h"
#include "transfer/UploadRunner.h"

class Prompter;

// The gateway scripts behind the Python page, one function each: list the
// programs in /WEB/python, download, delete and upload them. Plain C++: the
// page holds only widgets and the user's choices and calls these; every
// question goes through Prompter.

// One program as the gateway lists it: its full name and its size text.
struct GatewayFile {
    std::string name;
    std::string size;
};

// The file entries of a list reply, in reply order; those without a name or a
// size are left out. No value when the reply does not parse or holds no list.
std::optional<std::vector<GatewayFile>> ParseFileList(std::string_view reply);

// The width of the name column: 12, or the longest name, so that every name is
// shown whole.
std::size_t NameColumnWidth(const std::vector<GatewayFile>& files);

// A list line: the name left-aligned in its column, four blanks, the size
// left-aligned in 8 characters.
std::string FormatFileLine(const GatewayFile& file, std::size_t nameWidth);

// A fetch reply: the proposed local name (the gateway path after its last
// "/") and the file's bytes.
struct FetchedFile {
    std::string name;
    std::string bytes;
};
// No value when the reply does not parse or has no "get_file" or "data".
std::optional<FetchedFile> ParseFetchReply(std::string_view reply);

// The two jobs that ask for the list; the last job's response is the list reply.
JobList ListScript();

// The program list as the gateway sent it in the last job of a script that
// ends with ListScript(); no value when that job was refused, got no answer or
// its reply holds no list (an empty directory is an empty list).
std::optional<std::vector<GatewayFile>> ListedFiles(const JobList& jobs);

// Reads the program list from the gateway; no value when it was not read.
std::optional<std::vector<GatewayFile>> ListPythonFiles(ScriptRunner& runner);

// Fetches each file, asks where to save it, writes it and compares its digest
// with the gateway's. Failures offer Retry and Cancel; Cancel (or cancelling
// the save dialog) goes on with the next file. Names that cannot travel in a
// command are refused with a message.
void DownloadPythonFiles(ScriptRunner& runner, Prompter& prompter,
                         const std::vector<GatewayFile>& files);

// Removes the files in one batch that ends by reading the list again; returns
// that list (no value when it was not read). Nothing is confirmed; names that
// cannot travel are refused with a message and skipped.
std::optional<std::vector<GatewayFile>> DeletePythonFiles(ScriptRunner& runner, Prompter& prompter,
                                                          const std::vector<GatewayFile>& files);

// Asks the gateway for the digest of its stored program `name` (the query an
// upload's check sends) and returns the job, to be read with DigestVerified
// and GatewayDigest. A name that cannot travel in a command is not sent: the
// job then stays unanswered.
CommandJob QueryProgramDigest(ScriptRunner& runner, const std::string& name);

struct PythonUploadResult {
    bool verified = false;
    // The list read after the last attempt; no value when nothing was sent.
    std::optional<std::vector<GatewayFile>> files;
};

// Uploads a local program to /WEB/python and checks the stored file's digest,
// reading the list in the same batch. The digest is taken again before every
// attempt; a mismatch ("The file ... did not correctly transfer.") offers Retry
// and Cancel. An empty path or a file that cannot be sent is refused with a
// message before anything is sent; a file that can no longer be read when an
// attempt begins ends the upload with the same message.
PythonUploadResult UploadPythonProgram(ScriptRunner& runner, UploadRunner& uploader,
                                       Prompter& prompter, const std::string& localPath);
