#pragma once

#include <string>

// Bytes the gateway sends, and what it does once they are out. Endless: the bytes after the
// first line repeat until the gateway has something else to send.
struct Output {
    enum class Effect { None, Reboot, Install, Vanish, Endless };
    std::string bytes;
    int delayMs = 0;
    Effect effect = Effect::None;
};
