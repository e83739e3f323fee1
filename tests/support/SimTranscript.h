#pragma once

#include <string>
#include <string_view>
#include <vector>

// One record of the simulated gateway's transcript (format described in sim/Transcript.h).
struct SimRecord {
    double seconds = 0;  // since the simulator started
    std::string kind;    // command, document, data, other or event
    std::string bytes;   // exactly as received (for events: the note)
};

// Reads a transcript; an incomplete record at the end (still being written) is left out.
class SimTranscript {
public:
    static std::vector<SimRecord> Parse(std::string_view text);
    static std::vector<SimRecord> Load(const std::string& path);
};
