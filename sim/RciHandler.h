#pragma once

#include <libxml/tree.h>

#include <optional>
#include <string>

#include "DeviceData.h"

// Answers configuration request documents (root rci_request) from the device data.
class RciHandler {
public:
    struct Reply {
        std::string xml;  // the rci_reply document
        int workMs = 0;   // how long the gateway is busy before it can answer
    };

    RciHandler(DeviceData& device, bool radioPresent);
    // Nothing when the text is not a well-formed rci_request document.
    std::optional<Reply> Handle(const std::string& request);

private:
    void HandleCommand(xmlNode* command, xmlNode* reply, int& workMs);
    void HandleFileSystem(xmlNode* command, xmlNode* reply);
    void HandleRadio(xmlNode* command, xmlNode* reply, int& workMs);
    void ListFiles(xmlNode* command, xmlNode* reply);
    void SendFile(xmlNode* command, xmlNode* reply);
    void RemoveFile(xmlNode* command, xmlNode* reply);
    void UpdateRadioFirmware(xmlNode* command, xmlNode* reply, int& workMs);
    static std::string Serialise(xmlDoc* doc, xmlNode* root);

    DeviceData& device_;
    bool radioPresent_;
};
