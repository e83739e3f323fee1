#include "model/NodeSettingsFile.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "model/ElementSearch.h"
#include "model/NodeDiscovery.h"
#include "model/PowerLevel.h"
#include "model/XmlDocument.h"
#include "model/XmlString.h"

namespace {

constexpr int kElement = XML_ELEMENT_NODE;

xmlNodePtr FindRadio(xmlDocPtr document) {
    xmlNodePtr command = FindChildElement(xmlDocGetRootElement(document), kElement, "do_command");
    xmlNodePtr query = FindChildElement(command, kElement, "query_setting");
    return FindChildElement(query, kElement, "radio");
}

// A node's reply is read the way the radio's own tools read numbers: blanks
// skipped, then the leading decimal digits ("02" is 2, "3x" is 3), no digits
// at all being 0. Only a number the list has selects an entry.
int NodePowerLevelIndex(std::string_view stored) {
    const std::size_t start = std::min(stored.find_first_not_of(" \t\r\n"), stored.size());
    int number = 0;
    for (char c : stored.substr(start)) {
        if (c < '0' || c > '9') {
            break;
        }
        number = std::min(number * 10 + (c - '0'), 1000);  // beyond the list either way
    }
    return PowerLevelIndex(std::to_string(number));
}

void ReadField(xmlNodePtr element, NodeSettings& settings) {
    const std::pair<const char*, std::string NodeSettings::*> kTextFields[] = {
        {"firmware_version", &NodeSettings::firmwareVersion},
        {"ext_pan_id", &NodeSettings::extendedPanId},
        {"discover_timeout", &NodeSettings::discoverTimeout},
        {"join_time", &NodeSettings::joinTime},
        {"scan_channels", &NodeSettings::scanChannels},
        {"scan_duration", &NodeSettings::scanDuration},
        {"node_id", &NodeSettings::nodeId},
    };
    const std::string content = NodeContent(element);
    for (const auto& [name, field] : kTextFields) {
        if (IsNamedNode(element, kElement, name)) {
            settings.*field = content;
            return;
        }
    }
    if (IsNamedNode(element, kElement, "power_level")) {
        settings.powerLevelIndex = NodePowerLevelIndex(content);
    } else if (IsNamedNode(element, kElement, "device_type")) {
        settings.productType = ProductName(content);
    }
}

}  // namespace

NodeSettings ReadNodeSettingsFile(const std::string& path) {
    NodeSettings settings;
    const XmlDocument document = ParseXmlFile(path);
    if (!document) {
        return settings;
    }
    xmlNodePtr radio = FindRadio(document.get());
    for (xmlNodePtr child = radio == nullptr ? nullptr : radio->children; child != nullptr;
         child = child->next) {
        ReadField(child, settings);
    }
    return settings;
}
