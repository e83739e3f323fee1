#include "model/NodeSettingsFile.h"

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

// A node's reply without digits is level 0, as the radio's own tools read it;
// only a number the list has selects an entry.
int NodePowerLevelIndex(std::string_view stored) {
    return PowerLevelIndex(ReadPowerLevel(stored).value_or(0));
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
