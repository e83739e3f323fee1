#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

// The far end of a pseudo-terminal standing in for the gateway: a thread
// that records what the port writes and answers each command line with the
// next queued reply.
class PtyPeer {
public:
    // Raw: the peer makes the line raw itself. Default: the line keeps a new
    // terminal's settings (canonical input, echo, CR/LF translation, output
    // processing), as a real port may be found.
    enum class LineMode { Raw, Default };

    explicit PtyPeer(LineMode mode = LineMode::Raw);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    // The node the port opens.
    const std::string& SlavePath() const { return slavePath_; }

    // Written back when the next line ending in "\r\n" has arrived.
    void QueueReply(std::string reply);
    // Written back for every line that finds no queued reply.
    void AnswerEveryLine(std::string reply);
    // Written now, unasked.
    void Write(const std::string& bytes);
    // Keeps writing bytes without pause, like a chatty program on the gateway.
    void StartStreaming();
    // While held, the peer reads nothing, so written bytes stay queued.
    void Hold();
    void Release();

    std::string Received();
    // Waits (bounded, never timed by the test) until at least count bytes arrived.
    bool WaitForReceived(std::size_t count);

    // The device goes away: the port sees a hang-up.
    void Vanish();

private:
    void Run();
    void Wake();
    void Serve();

    int master_ = -1;
    int slave_ = -1;
    int wake_[2] = {-1, -1};
    std::string slavePath_;
    std::thread thread_;

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::string> replies_;
    std::string everyLine_;
    std::string received_;
    std::string line_;
    bool stop_ = false;
    bool held_ = false;
    bool streaming_ = false;
};
