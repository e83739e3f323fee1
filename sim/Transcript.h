#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "FileDescriptor.h"

// Records everything the gateway receives, so that tests can check the exact commands, their
// order and their pacing.
//
// File format: the first line is "r7sim transcript 1". Then one record per received command,
// document or data block, and per event of the port:
//
//     <seconds> <kind> <length>\n<length raw bytes>\n
//
// <seconds> is the time since the simulator started, with six decimals; <length> is decimal;
// the bytes follow exactly as received (no escaping), so they are recovered by length.
// Kinds:
//   command   one AT command line with its line end (empty lines sent with it included)
//   document  a bare request document that followed at&usbinterface=22
//   data      upload data, one record per read from the port
//   other     received bytes that were not a command: empty lines, input cut off by a restart
//             or dropped because it stalled
//   event     not received bytes but a note: "down reboot", "down install", "down vanish", "up"
// Each record is written with one write call as soon as its input is complete, before the
// gateway answers it.
class Transcript {
public:
    // An empty path records nothing.
    bool Open(const std::string& path);
    void Record(std::string_view kind, std::string_view bytes);

private:
    FileDescriptor file_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
