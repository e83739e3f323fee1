#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// Every reply is read into a buffer of this many bytes plus the job's extra;
// a reply that does not fit is cut short.
inline constexpr std::size_t kBaseReplyBytes = 100000;

// One step of a script: the command to send, the progress text shown while it
// runs, and what the worker stores back (the parsed payload and the status).
class CommandJob {
public:
    static constexpr int kFailed = 1;
    static constexpr int kSucceeded = 0;

    CommandJob() = default;
    CommandJob(std::string command, std::string text, int timeoutMs)
        : command_(std::move(command)), text_(std::move(text)), timeoutMs_(timeoutMs) {}

    void SetCommand(std::string command) { command_ = std::move(command); }
    std::string GetCommand() const { return command_; }
    void SetText(std::string text) { text_ = std::move(text); }
    std::string GetText() const { return text_; }
    void SetResponse(std::string response) { response_ = std::move(response); }
    std::string GetResponse() const { return response_; }
    void SetTimeout(int timeoutMs) { timeoutMs_ = timeoutMs; }
    int GetTimeout() const { return timeoutMs_; }
    void SetStatus(int status) { status_ = status; }
    int GetStatus() const { return status_; }
    void SetExtra(int extraBytes) { extra_ = extraBytes; }
    int GetExtra() const { return extra_; }
    // The size of the buffer a reply overflowed, or 0 when the reply was not
    // cut short: such a job failed although the gateway did answer.
    void SetCutShortBytes(std::size_t bufferBytes) { cutShortBytes_ = bufferBytes; }
    std::size_t GetCutShortBytes() const { return cutShortBytes_; }
    // True when a NUL byte cut the reply's text: what followed is lost, so
    // such a job failed and was not answered; its response holds the text
    // before the NUL.
    void SetCutAtNul(bool cut) { cutAtNul_ = cut; }
    bool CutAtNul() const { return cutAtNul_; }
    // True when a reply to this job arrived (an OK or ERROR status, or any
    // text before the deadline). A job never sent, met only with silence or
    // cut short was not answered: its empty response is no value of the
    // gateway's. A failed job that was answered was refused.
    void SetAnswered(bool answered) { answered_ = answered; }
    bool Answered() const { return answered_; }
    bool Refused() const { return answered_ && status_ == kFailed; }
    // A command that restarts the gateway: its read goes on past an OK until
    // the port goes away, and the port going away is its answer.
    void SetRestarts(bool restarts) { restarts_ = restarts; }
    bool Restarts() const { return restarts_; }
    // Set by the worker: the port went away while this job's reply was read.
    void SetPortWentAway(bool wentAway) { portWentAway_ = wentAway; }
    bool PortWentAway() const { return portWentAway_; }

private:
    std::string command_;
    std::string text_;
    std::string response_;
    int timeoutMs_ = 0;
    int status_ = kFailed;
    int extra_ = 0;
    std::size_t cutShortBytes_ = 0;
    bool cutAtNul_ = false;
    bool answered_ = false;
    bool restarts_ = false;
    bool portWentAway_ = false;
};

// A script: jobs run in order; an empty command ends it.
using JobList = std::vector<CommandJob>;
