#include "link/PortDiscovery.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>

#include "link/AsciiText.h"
#include "link/GatewayIdentity.h"
#include "link/ModemPort.h"
#include "link/SerialDevice.h"
#include "link/UsbSysfs.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxCandidates = 10;

bool IsGateway(const fs::path& usbDevice, const std::vector<UsbId>& listed) {
    if (EqualsIgnoringAsciiCase(ReadAttribute(usbDevice / "manufacturer"), kGatewayManufacturer))
        return true;
    const std::string vendor = ReadAttribute(usbDevice / "idVendor");
    const std::string product = ReadAttribute(usbDevice / "idProduct");
    return std::ranges::any_of(listed, [&](const UsbId& id) {
        return EqualsIgnoringAsciiCase(vendor, id.vendor) &&
               EqualsIgnoringAsciiCase(product, id.product);
    });
}

// The node's name under the device directory: udev's DEVNAME, which may
// differ from the class entry's name, else the entry's name.
std::string DeviceName(const fs::path& ttyEntry) {
    std::ifstream in(ttyEntry / "uevent");
    constexpr std::string_view kKey = "DEVNAME=";
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(kKey) && line.size() > kKey.size())
            return line.substr(kKey.size());
    }
    return ttyEntry.filename().string();
}

void SetReason(std::string* reason, std::string text) {
    if (reason != nullptr)
        *reason = std::move(text);
}

std::string DescribeOpenFailure(const std::string& path, int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "Permission denied on " + path +
                   ". Add your user to the 'dialout' group and log in again, or install a udev "
                   "rule that gives your user access to the device.";
        case EBUSY:
            return path + kPortHeldElsewhere +
                   ", for example ModemManager or a second copy of this program. Close it, or "
                   "tell ModemManager to ignore the device (udev ENV{ID_MM_DEVICE_IGNORE}=\"1\").";
        default:
            return "Cannot open " + path + ": " + std::generic_category().message(error) + ".";
    }
}

// udev's stable name for a node: the /dev/serial/by-id link that resolves to
// it. A gateway that restarts while our descriptor is still open may come
// back as another node, and its old node may go to another device; the link
// follows the gateway. The node itself when it has no such link.
std::string StableName(const fs::path& node, const std::string& deviceDir) {
    std::error_code error;
    const fs::path target = fs::canonical(node, error);
    if (error)
        return node.string();
    std::vector<fs::path> links;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(deviceDir) / "serial" / "by-id", error)) {
        // (equivalent() refuses to compare character devices.)
        std::error_code unresolved;
        if (fs::canonical(entry.path(), unresolved) == target)
            links.push_back(entry.path());
    }
    if (links.empty())
        return node.string();
    std::ranges::sort(links);
    return links.front().string();
}

// The device paths of the gateway ttys listed in sysfs, in name order.
GatewayTty DescribeTty(const fs::path& entry, const fs::path& usbDevice,
                       const DiscoveryOptions& options) {
    GatewayTty tty;
    tty.node = (fs::path(options.deviceDir) / DeviceName(entry)).string();
    tty.stableName = StableName(tty.node, options.deviceDir);
    tty.usbId =
        ReadAttribute(usbDevice / "idVendor") + ":" + ReadAttribute(usbDevice / "idProduct");
    tty.manufacturer = ReadAttribute(usbDevice / "manufacturer");
    tty.product = ReadAttribute(usbDevice / "product");
    tty.serial = ReadAttribute(usbDevice / "serial");
    return tty;
}

// The gateway ttys listed in sysfs, in name order, not yet probed.
std::vector<GatewayTty> ListGatewayTtys(const DiscoveryOptions& options, std::string* reason) {
    const fs::path classDir = fs::path(options.sysfsRoot) / "class" / "tty";
    std::error_code error;
    std::vector<fs::path> entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(classDir, error))
        entries.push_back(entry.path());
    if (error) {
        SetReason(reason, "Cannot read the serial devices in " + classDir.string() + ": " +
                              error.message() + ".");
        return {};
    }
    std::ranges::sort(entries);

    const std::vector<UsbId> listed = ReadGatewayList(options.gatewaysFile);
    std::vector<GatewayTty> ttys;
    for (const fs::path& entry : entries) {
        const std::optional<fs::path> usbDevice = FindUsbDevice(entry, options.sysfsRoot);
        if (usbDevice && IsGateway(*usbDevice, listed))
            ttys.push_back(DescribeTty(entry, *usbDevice, options));
    }
    if (ttys.empty())
        SetReason(reason,
                  "No Linkhold R7 was found: no serial device of the gateway's USB modem "
                  "is attached.");
    return ttys;
}

// The device paths of the gateway ttys listed in sysfs, in name order.
std::vector<std::string> ListGatewayDevices(const DiscoveryOptions& options, std::string* reason) {
    std::vector<std::string> devices;
    for (const GatewayTty& tty : ListGatewayTtys(options, reason))
        devices.push_back(tty.stableName);
    return devices;
}

// Keeps the devices that open exclusively now (each closed again at once),
// without duplicates and at most kMaxCandidates of them.
std::vector<std::string> KeepOpenable(const std::vector<std::string>& devices,
                                      std::string* reason) {
    std::vector<std::string> candidates;
    std::string failures;
    for (const std::string& device : devices) {
        if (candidates.size() == kMaxCandidates)
            break;
        if (std::ranges::find(candidates, device) != candidates.end())
            continue;
        SerialDevice probe;
        if (probe.Open(device)) {
            candidates.push_back(device);
        } else {
            failures +=
                (failures.empty() ? "" : "\n") + DescribeOpenFailure(device, probe.LastError());
        }
    }
    if (candidates.empty())
        SetReason(reason, failures);
    return candidates;
}

// A bare name typed into the chooser or given on the command line means the
// node of that name in the device directory, or else the by-id link of that
// name. A path is used as given.
std::string ResolveDevice(const std::string& name, const std::string& deviceDir) {
    if (name.empty() || name.find('/') != std::string::npos)
        return name;
    const fs::path node = fs::path(deviceDir) / name;
    const fs::path link = fs::path(deviceDir) / "serial" / "by-id" / name;
    std::error_code error;
    return (!fs::exists(node, error) && fs::exists(link, error) ? link : node).string();
}

// A device named on the command line, by the stable name udev gives its node
// where it has one: the port is reopened only through that link, which
// follows the gateway, never through a node another device may take.
std::string ExplicitDevice(const std::string& name, const std::string& deviceDir) {
    return StableName(ResolveDevice(name, deviceDir), deviceDir);
}

}  // namespace

std::vector<std::string> FindGatewayPorts(const DiscoveryOptions& options, std::string* reason) {
    const std::vector<std::string> devices = ListGatewayDevices(options, reason);
    if (devices.empty())
        return {};
    return KeepOpenable(devices, reason);
}

std::string NamedDevicePath(const std::string& name, const std::string& deviceDir) {
    return ExplicitDevice(name, deviceDir);
}

std::vector<GatewayTty> ListGateways(const DiscoveryOptions& options, std::string* reason) {
    std::vector<GatewayTty> ttys = ListGatewayTtys(options, reason);
    for (GatewayTty& tty : ttys) {
        SerialDevice probe;
        if (!probe.Open(tty.stableName))
            tty.openProblem = DescribeOpenFailure(tty.stableName, probe.LastError());
    }
    return ttys;
}

std::vector<std::string> FindCandidates(const DiscoveryOptions& options, std::string* reason) {
    if (options.explicitPort.empty())
        return FindGatewayPorts(options, reason);
    return KeepOpenable({ExplicitDevice(options.explicitPort, options.deviceDir)}, reason);
}

bool DiscoverPort(ModemPort& port, const DiscoveryOptions& options, const ProductChooser& chooser,
                  std::string* reason) {
    // Our own open descriptor would make the gateway look busy.
    port.Close();
    const std::vector<std::string> candidates = FindCandidates(options, reason);
    if (candidates.empty())
        return false;

    std::string chosen = candidates.front();
    if (candidates.size() > 1)
        chosen = ResolveDevice(chooser ? chooser(candidates) : std::string(), options.deviceDir);
    port.SetPortName(chosen);
    if (chosen.empty()) {
        SetReason(reason, "No gateway was chosen.");
        return false;
    }
    if (!port.OpenConfigured()) {
        SetReason(reason, DescribeOpenFailure(chosen, port.LastOpenError()));
        return false;
    }
    return true;
}
