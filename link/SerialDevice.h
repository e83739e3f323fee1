#pragma once

#include <cstddef>
#include <string>

// The serial device node, owned: closes its descriptor on destruction.
// (Interface draft; the link implementation fills it in.)
class SerialDevice {
public:
    SerialDevice() = default;
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;
    SerialDevice(SerialDevice&& other) noexcept;
    SerialDevice& operator=(SerialDevice&& other) noexcept;
    ~SerialDevice();

    bool IsOpen() const { return fd_ >= 0; }
    void Close();

private:
    int fd_ = -1;
};
