#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/GatewayIdentity.h"

class ModemPort;

// Where to look for the gateway. The roots are parameters so that a fake
// sysfs tree and device directory can stand in for the real ones.
struct DiscoveryOptions {
    std::string sysfsRoot = "/sys";
    std::string deviceDir = "/dev";
    // A device given on the command line (a by-id link, a node or another
    // path): no search, but the same checks. A node with a by-id link is used
    // through that link.
    std::string explicitPort;
    // The administrator's list of further gateways (kGatewaysFile).
    std::string gatewaysFile = kGatewaysFile;
};

// Asked when several gateways are attached: returns the chosen or typed
// device, empty when the user dismissed the choice.
using ProductChooser = std::function<std::string(const std::vector<std::string>& candidates)>;

// The device paths of the attached gateways that can be opened exclusively
// right now: at most 10, no duplicates, in the order of their tty names. A
// device with a by-id link under the device directory is named by that link. When there are none,
// *reason (if given) says why, in words a user can act on.
std::vector<std::string> FindGatewayPorts(const DiscoveryOptions& options, std::string* reason);

// The path a device named on the command line is used through: a bare name
// is the node of that name in the device directory, or else its by-id link;
// a node with a by-id link is named by that link.
std::string NamedDevicePath(const std::string& name, const std::string& deviceDir);

// What discovery would offer now: the explicit port when it can be opened,
// else the attached gateways (as FindGatewayPorts).
std::vector<std::string> FindCandidates(const DiscoveryOptions& options, std::string* reason);

// One gateway tty as the system lists it, whether or not it can be opened.
struct GatewayTty {
    std::string node;        // the device node, e.g. /dev/ttyACM0
    std::string stableName;  // its by-id link, or the node when it has none
    std::string usbId;       // "vendor:product"
    std::string manufacturer;
    std::string product;
    std::string serial;
    std::string openProblem;  // why it cannot be opened exclusively now; empty when it can
};

// Every gateway tty attached, in the order of their tty names, each probed
// once. When there are none, *reason (if given) says why.
std::vector<GatewayTty> ListGateways(const DiscoveryOptions& options, std::string* reason);

// What a reason says of a port another program holds open, so that callers
// can tell the user in the message itself.
inline constexpr char kPortHeldElsewhere[] = " is busy: another program holds it open";

// Finds the gateway (asking the chooser when there are several), then opens
// and configures its port without draining it. False with *reason set when no
// gateway could be opened.
bool DiscoverPort(ModemPort& port, const DiscoveryOptions& options, const ProductChooser& chooser,
                  std::string* reason);
