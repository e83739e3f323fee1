#pragma once

#include <string>

#include "FileStore.h"
#include "GroupTree.h"
#include "XmlHandle.h"

// Everything the simulated gateway knows about itself: settings, state, radio settings, the
// mesh nodes its radio can reach and its file system.
class DeviceData {
public:
    // Loads each data file from `dir`, or from `fallbackDir` when `dir` lacks it.
    bool Load(const std::string& dir, const std::string& fallbackDir, std::string* error);

    GroupTree settings;
    GroupTree state;
    GroupTree radio;
    FileStore files;

    // The <device> records of a node discovery.
    xmlNode* DiscoveredNodes() const;
    // A firmware install or radio firmware update raises the version the state reports.
    void RaiseFirmwareVersion();
    void RaiseRadioFirmwareVersion();

private:
    XmlDocPtr discovered_;
};
