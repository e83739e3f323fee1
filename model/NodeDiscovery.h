#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/ScriptRunner.h"

// One node of the mesh as a discovery reports it, with its type and product
// already turned into names.
struct DiscoveredNode {
    std::string nodeId;
    std::string networkAddress;
    std::string extendedAddress;  // the node's identity
    std::string nodeType;
    std::string productType;
};

// The node type for a type text read as a hexadecimal number ("Coordinator",
// "Router", "End Node"); a type the table lacks comes back as received.
std::string NodeTypeName(const std::string& type);

// The product for the low 16 bits of a device_type text read as a hexadecimal
// number; a product the table lacks comes back as received.
std::string ProductName(const std::string& deviceType);

// The nodes of a discovery reply, in the order received, each extended address
// once (compared ignoring case). A coordinator of unspecified product is the
// gateway itself. No nodes when the reply has no readable discover element.
std::vector<DiscoveredNode> ParseDiscoveryReply(std::string_view reply);
// The same, with no value when the reply holds no readable discover element.
std::optional<std::vector<DiscoveredNode>> ReadDiscoveryReply(std::string_view reply);

// Asks the gateway's radio for the nodes it can reach. A failed or late reply
// is read all the same: whatever arrived may still list nodes. No value when
// the reply holds no readable discover element (refused, silent, or another
// command's answer), so that no answer is not taken for an empty mesh.
// *noRadio (when given) tells whether the gateway said it has no mesh radio.
std::optional<std::vector<DiscoveredNode>> DiscoverNodes(ScriptRunner& runner,
                                                         bool* noRadio = nullptr);
