#pragma once

#include <string>
#include <string_view>

// A plain serial client, as any terminal program would be: opens the port raw, writes
// commands and reads replies up to their final status.
class SerialClient {
public:
    explicit SerialClient(const std::string& path);
    ~SerialClient();
    SerialClient(const SerialClient&) = delete;
    SerialClient& operator=(const SerialClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    void Write(std::string_view bytes);
    // Reads until the bytes end with "\r\nOK\r\n" or "\r\nERROR\r\n", or the time is up.
    std::string ReadReply(int timeoutMs = 5000);
    std::string Exchange(std::string_view command, int timeoutMs = 5000);
    // Reads until the bytes end with `tail`, or the time is up.
    std::string ReadUntil(std::string_view tail, int timeoutMs = 5000);
    // Reads whatever arrives within `ms`.
    std::string ReadFor(int ms);
    // True when the device hangs up within the time.
    bool WaitForHangup(int timeoutMs);

private:
    template <typename Done>
    std::string ReadWhileNot(Done done, int timeoutMs);

    int fd_ = -1;
};
