// The discovery reply of the radio network page. Input: one reply. Every node is listed once:
// no two rows share an extended address, compared ignoring case.

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "link/AsciiText.h"
#include "model/NodeDiscovery.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<DiscoveredNode> nodes = ParseDiscoveryReply(FuzzText(data, size));
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        for (std::size_t j = i + 1; j < nodes.size(); ++j) {
            FuzzCheck(!EqualsIgnoringAsciiCase(nodes[i].extendedAddress, nodes[j].extendedAddress),
                      "each extended address is listed once");
        }
    }
    return 0;
}
