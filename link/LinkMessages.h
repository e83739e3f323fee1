#pragma once

#include <string>

// What the user is told when the gateway does not answer: at start-up, at a
// Refresh that got nothing back, and after a script that lost the port.
inline constexpr char kUndetectedTitle[] = "Unable to detect Linkhold R7";
inline constexpr char kSilentText[] =
    "Unable to communicate with the device. Please verify that the device is powered and "
    "connected to USB.";

// The device information page's Status line: while the last collection was
// answered, and after one that was not.
inline std::string ConnectedText(const std::string& portName) {
    return "Connected (" + portName + ")";
}
// While the port itself is gone (unplugged, restarting).
inline std::string DisconnectedText(const std::string& portName) {
    return "Disconnected (" + portName + ")";
}
inline std::string NoAnswerText(const std::string& portName) {
    return "Not connected: no answer on " + portName;
}

inline std::string LostPortText(const std::string& portName) {
    return "The Linkhold R7 did not answer on " + portName +
           ", so the last operation was not completed. Please verify that the device is powered "
           "and connected to USB.";
}
