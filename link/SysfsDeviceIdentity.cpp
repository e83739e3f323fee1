#include "link/SysfsDeviceIdentity.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <optional>
#include <system_error>

#include "link/UsbSysfs.h"

namespace fs = std::filesystem;

namespace {

// The interface the tty hangs off (a gateway may offer several ttys): the
// nearest directory between the tty's device and the USB device that holds
// bInterfaceNumber.
std::string InterfaceNumber(const fs::path& ttyEntry, const fs::path& usbDevice) {
    std::error_code error;
    for (fs::path dir = fs::canonical(ttyEntry / "device", error);
         !error && !dir.empty() && dir != usbDevice && dir != dir.root_path();
         dir = dir.parent_path()) {
        if (fs::exists(dir / "bInterfaceNumber", error))
            return ReadAttribute(dir / "bInterfaceNumber");
    }
    return {};
}

std::string UsbIdentity(const fs::path& ttyEntry, const fs::path& usbDevice) {
    return "usb " + ReadAttribute(usbDevice / "idVendor") + ":" +
           ReadAttribute(usbDevice / "idProduct") + " '" +
           ReadAttribute(usbDevice / "manufacturer") + "' serial '" +
           ReadAttribute(usbDevice / "serial") + "' interface " +
           InterfaceNumber(ttyEntry, usbDevice);
}

}  // namespace

DeviceIdentity& DeviceIdentity::System() {
    static SysfsDeviceIdentity system;
    return system;
}

SysfsDeviceIdentity::SysfsDeviceIdentity(std::string sysfsRoot)
    : sysfsRoot_(std::move(sysfsRoot)) {}

std::string SysfsDeviceIdentity::Of(int descriptor) {
    struct stat node {};
    if (::fstat(descriptor, &node) != 0 || !S_ISCHR(node.st_mode))
        return {};
    const std::string number =
        std::to_string(major(node.st_rdev)) + ":" + std::to_string(minor(node.st_rdev));
    const fs::path entry = fs::path(sysfsRoot_) / "dev" / "char" / number;
    if (const std::optional<fs::path> usb = FindUsbDevice(entry, sysfsRoot_))
        return UsbIdentity(entry, *usb);
    // The change time moves in clock ticks, but a node freed and taken again
    // is created after our first open, ticks later than the one we opened.
    return "node " + number + " owner " + std::to_string(node.st_uid) + " created " +
           std::to_string(node.st_ctim.tv_sec) + "." + std::to_string(node.st_ctim.tv_nsec);
}
