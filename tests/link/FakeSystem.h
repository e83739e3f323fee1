#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "link/PortDiscovery.h"
#include "tests/link/TempDir.h"

struct UsbModem {
    std::string manufacturer;  // empty: no manufacturer file
    std::string vendor = "1234";
    std::string product = "5678";
};

// A sysfs tree and a device directory in the layout the kernel and udev
// give USB modems: class/tty/NAME -> the tty under the USB interface, whose
// parent (the USB device) holds the identity files.
class FakeSystem {
public:
    FakeSystem() {
        std::filesystem::create_directories(Sys() / "class" / "tty");
        std::filesystem::create_directories(Dev());
    }

    std::filesystem::path Sys() const { return dir_.Path() / "sys"; }
    std::filesystem::path Dev() const { return dir_.Path() / "dev"; }
    DiscoveryOptions Options() const {
        return {Sys().string(), Dev().string(), "", (dir_.Path() / "gateways").string()};
    }
    // The administrator's list of further gateways.
    void ListGateways(const std::string& text) const { WriteFile(dir_.Path() / "gateways", text); }
    std::string DevicePath(const std::string& node) const { return (Dev() / node).string(); }

    // A USB modem tty; devName is the node udev creates for it.
    void AddUsbTty(const std::string& entry, const UsbModem& modem, const std::string& devName,
                   const std::string& target) {
        const std::filesystem::path usb =
            Sys() / "devices" / "pci0000:00" / ("usb-" + entry) / "1-1";
        WriteFile(usb / "idVendor", modem.vendor + "\n");
        WriteFile(usb / "idProduct", modem.product + "\n");
        if (!modem.manufacturer.empty())
            WriteFile(usb / "manufacturer", modem.manufacturer + "\n");
        AddTty(entry, usb / "1-1:1.0", devName);
        AddNode(devName, target);
    }

    // udev's stable link to a node, relative as udev makes it.
    void AddByIdLink(const std::string& name, const std::string& devName) {
        std::filesystem::create_directories(Dev() / "serial" / "by-id");
        std::filesystem::create_symlink(std::filesystem::path("../..") / devName,
                                        Dev() / "serial" / "by-id" / name);
    }

    // The kernel's index of character devices: dev/char/MAJOR:MINOR leads to
    // the tty's entry.
    void AddDeviceNumber(const std::string& entry, const std::string& number) {
        std::filesystem::create_directories(Sys() / "dev" / "char");
        std::filesystem::create_directory_symlink(Sys() / "class" / "tty" / entry,
                                                  Sys() / "dev" / "char" / number);
    }

    // A tty on a bus without USB identity (a built-in UART).
    void AddPlatformTty(const std::string& entry, const std::string& target) {
        AddTty(entry, Sys() / "devices" / "platform" / "serial8250", entry);
        AddNode(entry, target);
    }

private:
    static void WriteFile(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    void AddTty(const std::string& entry, const std::filesystem::path& parent,
                const std::string& devName) {
        const std::filesystem::path tty = parent / "tty" / entry;
        WriteFile(tty / "uevent", "MAJOR=166\nMINOR=0\nDEVNAME=" + devName + "\n");
        std::filesystem::create_directory_symlink(parent, tty / "device");
        std::filesystem::create_directory_symlink(tty, Sys() / "class" / "tty" / entry);
    }

    void AddNode(const std::string& devName, const std::string& target) {
        const std::filesystem::path node = Dev() / devName;
        if (!std::filesystem::is_symlink(node))
            std::filesystem::create_symlink(target, node);
    }

    TempDir dir_;
};
