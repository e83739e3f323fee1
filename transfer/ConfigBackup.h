#pragma once

#include <libxml/tree.h>

#include <string>

// Backup files: the settings document saved as XML on the PC, and read back
// as the body of a document request that restores it.

struct BackupResult {
    enum class Problem {
        None,
        NoDocument,  // no settings have been read from the gateway
        WriteFailed
    };
    Problem problem = Problem::None;
    std::string details;  // the path and the system's reason, when writing failed
};

// The settings document as a backup file holds it.
std::string BackupText(xmlDocPtr settings);

// Writes the settings document to `path`. The text goes to a new file in the
// same directory first and replaces `path` only once it is complete, so a
// failed write never leaves half a backup over an older one.
BackupResult WriteBackup(xmlDocPtr settings, const std::string& path);

struct RestoreFile {
    enum class Problem {
        None,
        NoPath,
        Missing,
        Unreadable,
        TooLarge,
        NotXml,
        DocumentType,  // the file declares a DTD, which is never accepted
        NotSettings    // well-formed, but not one set_setting holding settings groups
    };
    Problem problem = Problem::None;
    std::string details;  // the system's or the parser's reason
    std::string request;  // the document as the body of a document request
};

// Reads and checks a configuration file to restore. It is parsed as carefully
// as a gateway reply: nothing fetched, no entities expanded, no DTD. Only what
// a backup holds is sent: an rci_request whose one element is a set_setting
// with settings groups inside. Any other request (a factory reset, a file
// deletion) would be carried out by the gateway and reported as a restore.
RestoreFile ReadRestoreFile(const std::string& path);

// The same checks for a configuration read by other means (standard input);
// `name` only appears in the parser's diagnostics.
RestoreFile ParseRestoreText(const std::string& content, const std::string& name);

// What to tell the user about a problem: a caption that names it and a
// sentence that says what was wrong. Empty texts for Problem::None.
struct ProblemText {
    std::string caption;
    std::string text;
};
ProblemText DescribeProblem(BackupResult::Problem problem);
ProblemText DescribeProblem(RestoreFile::Problem problem);
