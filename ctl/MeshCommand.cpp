#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/GatewaySession.h"
#include "ctl/JsonText.h"
#include "model/NodeDiscovery.h"

namespace {

using Columns = std::array<std::string, 5>;

constexpr std::array<const char*, 5> kHeadings = {"Node ID", "Network Address", "Extended Address",
                                                  "Node Type", "Product Type"};
constexpr std::array<const char*, 5> kJsonNames = {"node_id", "network_address", "extended_address",
                                                   "node_type", "product_type"};

Columns ColumnsOf(const DiscoveredNode& node) {
    return {node.nodeId, node.networkAddress, node.extendedAddress, node.nodeType,
            node.productType};
}

void PrintTable(std::ostream& out, const std::vector<DiscoveredNode>& nodes) {
    std::array<std::size_t, 5> widths{};
    for (std::size_t column = 0; column < widths.size(); ++column)
        widths[column] = std::string(kHeadings[column]).size();
    for (const DiscoveredNode& node : nodes) {
        const Columns columns = ColumnsOf(node);
        for (std::size_t column = 0; column < widths.size(); ++column)
            widths[column] = std::max(widths[column], columns[column].size());
    }
    const auto printRow = [&](const Columns& columns) {
        std::string line;
        for (std::size_t column = 0; column < columns.size(); ++column) {
            line += columns[column];
            if (column + 1 < columns.size())
                line += std::string(widths[column] - columns[column].size() + 2, ' ');
        }
        out << line << '\n';
    };
    printRow({kHeadings[0], kHeadings[1], kHeadings[2], kHeadings[3], kHeadings[4]});
    for (const DiscoveredNode& node : nodes)
        printRow(ColumnsOf(node));
}

void PrintJson(std::ostream& out, const std::vector<DiscoveredNode>& nodes) {
    out << '[';
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const Columns columns = ColumnsOf(nodes[i]);
        out << (i ? ", " : "") << '{';
        for (std::size_t column = 0; column < columns.size(); ++column) {
            out << (column ? ", " : "") << JsonQuote(kJsonNames[column]) << ": "
                << JsonQuote(columns[column]);
        }
        out << '}';
    }
    out << "]\n";
}

}  // namespace

int RunMeshDiscover(CtlCall& call) {
    GatewaySession session(call.options, call.environment);
    if (const int status = session.Open(); status != kExitSuccess)
        return status;
    bool noRadio = false;
    const std::optional<std::vector<DiscoveredNode>> nodes =
        DiscoverNodes(session.Runner(), &noRadio);
    if (noRadio) {
        call.environment.err << "r7ctl: the gateway on " << session.Port().PortName()
                             << " has no mesh radio\n";
        return kExitRefused;
    }
    if (!nodes) {
        call.environment.err << "r7ctl: the gateway's radio did not answer the discovery\n";
        return kExitRefused;
    }
    if (call.options.json)
        PrintJson(call.environment.out, *nodes);
    else
        PrintTable(call.environment.out, *nodes);
    return kExitSuccess;
}
