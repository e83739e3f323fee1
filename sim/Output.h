#pragma once

#include <string>

// Bytes the gateway sends, and what it does once they are out. Endless: the bytes after the
// first line repeat until the gateway has something else to send. Unplug is no answer's
// effect: the port is taken away on a timer.
struct Output {
    enum class Effect { None, Reboot, Install, Vanish, Unplug, Endless };
    std::string bytes;
    int delayMs = 0;
    Effect effect = Effect::None;
};
