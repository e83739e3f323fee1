#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// The serial device node, owned: closes its descriptor on destruction.
// Opened exclusively (TIOCEXCL and an advisory lock, because root ignores
// TIOCEXCL) so that a second program or instance cannot talk over us.
class SerialDevice {
public:
    SerialDevice() = default;
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;
    SerialDevice(SerialDevice&& other) noexcept;
    SerialDevice& operator=(SerialDevice&& other) noexcept;
    ~SerialDevice();

    // Says whether the device behind a descriptor is the one wanted.
    using Acceptance = std::function<bool(int fd)>;

    // Opens the node for reading and writing without making it the
    // controlling terminal and without waiting for carrier. Closes any
    // descriptor held before. False with LastError() set when the node is
    // missing, not a terminal, busy or not permitted, or (ENODEV) holds a
    // device that accept refused; such a device is never locked.
    bool Open(const std::string& path, const Acceptance& accept = {});
    bool IsOpen() const { return fd_ >= 0; }
    // The open descriptor (-1 when closed), for telling which device it is.
    int Descriptor() const { return fd_; }
    void Close();

    // Raw 8N1 at 115200 baud with the receiver on and modem lines ignored;
    // hardware flow control stays as the driver reports it. Installs the
    // short-wait read policy.
    bool Configure();
    // A read returns what is buffered at once, else waits up to 100 ms for
    // the first byte.
    bool InstallShortWait();
    // Discards unread input only; bytes already written still go out.
    bool DiscardInput();

    // Bytes read (0 when the short wait passed in silence), or -1 when the
    // device has gone away (hung up, unplugged) or is not open.
    long Read(char* buffer, std::size_t size);
    // One write call that never blocks: bytes taken, 0 when the output queue
    // is full, or -1 when the device failed.
    long WriteSome(const char* data, std::size_t size);
    // Waits up to waitMs for room in the output queue. False when the device
    // failed or hung up meanwhile.
    bool WaitWritable(int waitMs);
    // Discards written bytes the device has not taken yet: a peer that
    // stopped reading would otherwise hold them, and a close would wait for
    // them.
    void DiscardOutput();

    // errno of the last failed operation.
    int LastError() const { return error_; }
    // After a failed operation: true when it failed because the device is
    // not open or has gone away (unplugged, restarting), not because it
    // refused the request.
    bool Lost() const;

    // Async-signal-safe: gives up the exclusive hold (TIOCNXCL and the lock)
    // on every device this process holds open and made exclusive, so that a process ended by a
    // signal leaves the port usable for the next one.
    static void ReleaseAllHeld();

private:
    bool Fail();
    bool Lock();
    bool Accepted(const Acceptance& accept);
    bool TakeExclusive();

    int fd_ = -1;
    int error_ = 0;
    // This descriptor set the terminal's exclusive flag (and may clear it).
    bool exclusive_ = false;
};
