#pragma once

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

// The "/debug" command log: every command, raw reply and parsed reply in
// blocks between separator lines, appended to a file and flushed after each
// block so that it survives a crash. The log holds the APN password and the
// SIM PIN, so a new log file is readable by its owner only, and a symbolic link
// at the log's own name is refused rather than followed to a file someone else
// chose. Only a regular file is taken: a named pipe would hold the program
// up, and a device swallows or refuses what it is given.
class CommandLog {
public:
    // Appends; false leaves the log off, with the reason in *reason when given.
    // An existing log is made readable by its owner only.
    bool Open(const std::string& path, std::string* reason = nullptr);
    // Writes to a copy of an open descriptor (a command line's standard
    // error); the descriptor itself stays the caller's.
    bool OpenDescriptor(int fd);
    bool IsOpen() const;
    void Close();

    // From now on the values of password and pin elements are written as
    // "(hidden)": for a log that others may see (a terminal, a job's output).
    void HideSecrets() { hideSecrets_ = true; }

    // errno of the first write that failed (a full disk), or 0: whoever asked
    // for the log must hear that it is incomplete.
    int WriteError() const { return writeError_; }

    void WriteStartBlock(std::string_view title, std::string_view version, std::time_t now);
    void WriteCommand(std::string_view command);
    void WriteRawResponse(std::string_view reply);
    void WriteParsedResponse(std::string_view payload, bool outcome);
    // After the raw reply: it filled its whole buffer without a status.
    void WriteCutShort(std::size_t bufferBytes);
    // After the raw reply: a NUL byte ended its text with lostBytes unread.
    void WriteCutAtNul(std::size_t lostBytes);

private:
    void WriteCut(const std::string& line);

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    void Append(std::string_view text);
    void AppendBlock(std::string_view heading, std::string_view body);
    void Flush();

    std::unique_ptr<std::FILE, FileCloser> file_;
    bool hideSecrets_ = false;
    int writeError_ = 0;
};
