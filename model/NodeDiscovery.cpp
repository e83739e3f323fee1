#include "model/NodeDiscovery.h"

#include <cstdlib>
#include <map>

#include "link/AsciiText.h"
#include "model/ElementSearch.h"
#include "model/ReplyText.h"
#include "model/RequestDocuments.h"
#include "model/XmlDocument.h"
#include "model/XmlString.h"

namespace {

constexpr int kElement = XML_ELEMENT_NODE;
// The radio answers once it has listened for its discover timeout.
constexpr int kDiscoveryTimeoutMs = 22000;

unsigned long HexNumber(const std::string& text) {
    return std::strtoul(text.c_str(), nullptr, 16);
}

const std::map<unsigned long, std::string>& NodeTypes() {
    static const std::map<unsigned long, std::string> types = {
        {0, "Coordinator"}, {1, "Router"}, {2, "End Node"}};
    return types;
}

const std::map<unsigned long, std::string>& Products() {
    static const std::map<unsigned long, std::string> products = {
        {0x00, "Unspecified"},           {0x01, "Radio gateway"},
        {0x02, "USB radio adapter"},     {0x03, "Range extender"},
        {0x04, "RS-232 serial adapter"}, {0x05, "RS-485 serial adapter"},
        {0x06, "Analog input adapter"},  {0x07, "Digital I/O adapter"},
        {0x08, "Wall-powered router"},   {0x09, "Smart plug"},
        {0x0A, "Temperature sensor"},    {0x0B, "Temperature and humidity sensor"},
        {0x0C, "Light sensor"},          {0x0D, "Door and window sensor"},
        {0x0E, "Motion sensor"},         {0x0F, "Water leak sensor"},
        {0x10, "Pulse counter"},         {0x201, "Energy meter"},
    };
    return products;
}

std::string LookUp(const std::map<unsigned long, std::string>& table, unsigned long key,
                   const std::string& received) {
    const auto found = table.find(key);
    return found == table.end() ? received : found->second;
}

// The text of the record's child element, or `missing` when it has none.
std::string ChildText(xmlNodePtr record, std::string_view name, const char* missing) {
    xmlNodePtr child = FindChildElement(record, kElement, name);
    return child == nullptr ? missing : NodeContent(child);
}

DiscoveredNode ReadRecord(xmlNodePtr record) {
    DiscoveredNode node;
    node.nodeId = ChildText(record, "node_id", "");
    node.extendedAddress = ChildText(record, "ext_addr", "");
    node.networkAddress = ChildText(record, "net_addr", "");
    node.nodeType = NodeTypeName(ChildText(record, "type", "0"));
    node.productType = ProductName(ChildText(record, "device_type", "0"));
    if (EqualsIgnoringAsciiCase(node.nodeType, "Coordinator") &&
        EqualsIgnoringAsciiCase(node.productType, "Unspecified")) {
        node.productType = "Gateway";
    }
    return node;
}

bool Listed(const std::vector<DiscoveredNode>& nodes, const std::string& extendedAddress) {
    for (const DiscoveredNode& node : nodes) {
        if (EqualsIgnoringAsciiCase(node.extendedAddress, extendedAddress)) {
            return true;
        }
    }
    return false;
}

// The first element of discover is a record whatever its name; the records
// after it are the elements named device. Blank text between records is no
// record.
xmlNodePtr FirstRecord(xmlNodePtr discover) {
    xmlNodePtr node = discover->children;
    while (node != nullptr && node->type != XML_ELEMENT_NODE) {
        node = node->next;
    }
    return node;
}

}  // namespace

std::string NodeTypeName(const std::string& type) {
    return LookUp(NodeTypes(), HexNumber(type), type);
}

std::string ProductName(const std::string& deviceType) {
    return LookUp(Products(), HexNumber(deviceType) & 0xFFFF, deviceType);
}

std::vector<DiscoveredNode> ParseDiscoveryReply(std::string_view reply) {
    return ReadDiscoveryReply(reply).value_or(std::vector<DiscoveredNode>{});
}

std::optional<std::vector<DiscoveredNode>> ReadDiscoveryReply(std::string_view reply) {
    const XmlDocument document = ParseXmlText(TrimReply(reply), "zigbee.xml");
    if (!document) {
        return std::nullopt;
    }
    xmlNodePtr command =
        FindChildElement(xmlDocGetRootElement(document.get()), kElement, "do_command");
    xmlNodePtr discover = FindChildElement(command, kElement, "discover");
    if (discover == nullptr) {
        return std::nullopt;
    }
    std::vector<DiscoveredNode> nodes;
    for (xmlNodePtr record = FirstRecord(discover); record != nullptr;
         record = FindNextElement(record, kElement, "device")) {
        DiscoveredNode node = ReadRecord(record);
        if (!Listed(nodes, node.extendedAddress)) {
            nodes.push_back(std::move(node));
        }
    }
    return nodes;
}

std::optional<std::vector<DiscoveredNode>> DiscoverNodes(ScriptRunner& runner, bool* noRadio) {
    JobList jobs = {CommandJob(InlineCommand(kNodeDiscovery), "", kDiscoveryTimeoutMs)};
    runner.Run(jobs);
    const std::string reply = jobs.front().GetResponse();
    if (noRadio != nullptr) {
        *noRadio = reply.find(kNoRadioReply) != std::string::npos;
    }
    return ReadDiscoveryReply(reply);
}
