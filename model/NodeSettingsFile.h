#pragma once

#include <string>

// The local file that holds one mesh node's radio settings, looked for in the
// working directory.
inline constexpr char kNodeSettingsFileName[] = "zigbeed.xml";

// A node's radio settings as the node configuration dialog shows them. Fields
// the file does not hold stay empty.
struct NodeSettings {
    std::string productType;
    std::string firmwareVersion;
    std::string extendedPanId;
    std::string nodeId;
    std::string discoverTimeout;
    std::string scanChannels;
    std::string scanDuration;
    std::string joinTime;
    int powerLevelIndex = -1;  // -1: no entry selected
};

// Reads the settings below do_command/query_setting/radio of the file at
// `path`. A missing or unreadable file gives empty settings.
NodeSettings ReadNodeSettingsFile(const std::string& path);
