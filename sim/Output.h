#pragma once

#include <string>

// Bytes the gateway sends, and what it does once they are out.
struct Output {
    enum class Effect { None, Reboot, Install, Vanish };
    std::string bytes;
    int delayMs = 0;
    Effect effect = Effect::None;
};
