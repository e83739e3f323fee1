#include "DeviceData.h"

#include <cctype>
#include <filesystem>

namespace {

std::string PickFile(const std::string& dir, const std::string& fallbackDir,
                     const std::string& name) {
    const std::filesystem::path own = std::filesystem::path(dir) / name;
    std::error_code code;
    return !dir.empty() && std::filesystem::exists(own, code)
               ? own.string()
               : (std::filesystem::path(fallbackDir) / name).string();
}

// "2.11.4.7" -> "2.11.4.8": the last number goes up by one.
std::string NextVersion(const std::string& version) {
    std::size_t end = version.size();
    while (end > 0 && !std::isdigit(static_cast<unsigned char>(version[end - 1]))) {
        --end;
    }
    std::size_t begin = end;
    while (begin > 0 && std::isdigit(static_cast<unsigned char>(version[begin - 1]))) {
        --begin;
    }
    if (begin == end) {
        return version + ".1";
    }
    const unsigned long next = std::stoul(version.substr(begin, end - begin)) + 1;
    return version.substr(0, begin) + std::to_string(next) + version.substr(end);
}

}  // namespace

bool DeviceData::Load(const std::string& dir, const std::string& fallbackDir, std::string* error) {
    if (!settings.Load(PickFile(dir, fallbackDir, "settings.xml"), error) ||
        !state.Load(PickFile(dir, fallbackDir, "state.xml"), error) ||
        !radio.Load(PickFile(dir, fallbackDir, "radio.xml"), error)) {
        return false;
    }
    const std::string nodes = PickFile(dir, fallbackDir, "discover.xml");
    discovered_ = ParseXmlFile(nodes);
    if (!discovered_) {
        *error = "cannot load " + nodes;
        return false;
    }
    return files.LoadTree(PickFile(dir, fallbackDir, "fs"), error);
}

xmlNode* DeviceData::DiscoveredNodes() const {
    return xmlDocGetRootElement(discovered_.get());
}

void DeviceData::RaiseFirmwareVersion() {
    for (const char* field : {"firmware", "firmwaresoftrevstr"}) {
        state.SetValue("device_info", field, NextVersion(state.Value("device_info", field)));
    }
}

void DeviceData::RaiseRadioFirmwareVersion() {
    state.SetValue("zigbee_state", "firmware_version",
                   NextVersion(state.Value("zigbee_state", "firmware_version")));
}
