#include <gtest/gtest.h>

#include <fstream>

#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "model/NodeDiscovery.h"
#include "tests/support/SimGateway.h"
#include "tests/support/WorkerScriptRunner.h"

namespace {

struct RadioEndToEndTest : testing::Test {
    ModemPort port;

    void Open(const SimGateway& gateway) {
        DiscoveryOptions options;
        options.explicitPort = gateway.LinkPath();
        std::string reason;
        ASSERT_TRUE(DiscoverPort(port, options, {}, &reason)) << reason;
    }
};

}  // namespace

TEST_F(RadioEndToEndTest, DiscoveryListsTheSimulatedNodesOnce) {
    SimGateway gateway;
    Open(gateway);
    WorkerScriptRunner runner(port);
    const std::vector<DiscoveredNode> nodes = DiscoverNodes(runner);
    ASSERT_EQ(nodes.size(), 3u) << "the node that answered twice is listed once";
    EXPECT_EQ(nodes[0].nodeType, "Coordinator");
    EXPECT_EQ(nodes[0].productType, "Gateway");
    EXPECT_EQ(nodes[1].nodeId, "pump house");
    EXPECT_EQ(nodes[1].nodeType, "Router");
    EXPECT_EQ(nodes[2].nodeType, "End Node");
}
