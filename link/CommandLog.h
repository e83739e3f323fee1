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
// chose.
class CommandLog {
public:
    // Appends; false leaves the log off, with the reason in *reason when given.
    bool Open(const std::string& path, std::string* reason = nullptr);
    // Writes to a copy of an open descriptor (a command line's standard
    // error); the descriptor itself stays the caller's.
    bool OpenDescriptor(int fd);
    bool IsOpen() const;
    void Close();

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
    std::unique_ptr<std::FILE, FileCloser> file_;
};
