#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "link/SerialDevice.h"
#include "tests/link/PtyPeer.h"
#include "tests/link/TempDir.h"
#include "tests/support/TestClocks.h"

namespace fs = std::filesystem;

namespace {

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
        fs::create_directories(Sys() / "class" / "tty");
        fs::create_directories(Dev());
    }

    fs::path Sys() const { return dir_.Path() / "sys"; }
    fs::path Dev() const { return dir_.Path() / "dev"; }
    DiscoveryOptions Options() const { return {Sys().string(), Dev().string(), ""}; }
    std::string DevicePath(const std::string& node) const { return (Dev() / node).string(); }

    // A USB modem tty; devName is the node udev creates for it.
    void AddUsbTty(const std::string& entry, const UsbModem& modem, const std::string& devName,
                   const std::string& target) {
        const fs::path usb = Sys() / "devices" / "pci0000:00" / ("usb-" + entry) / "1-1";
        WriteFile(usb / "idVendor", modem.vendor + "\n");
        WriteFile(usb / "idProduct", modem.product + "\n");
        if (!modem.manufacturer.empty())
            WriteFile(usb / "manufacturer", modem.manufacturer + "\n");
        AddTty(entry, usb / "1-1:1.0", devName);
        AddNode(devName, target);
    }

    // udev's stable link to a node, relative as udev makes it.
    void AddByIdLink(const std::string& name, const std::string& devName) {
        fs::create_directories(Dev() / "serial" / "by-id");
        fs::create_symlink(fs::path("../..") / devName, Dev() / "serial" / "by-id" / name);
    }

    // A tty on a bus without USB identity (a built-in UART).
    void AddPlatformTty(const std::string& entry, const std::string& target) {
        AddTty(entry, Sys() / "devices" / "platform" / "serial8250", entry);
        AddNode(entry, target);
    }

private:
    static void WriteFile(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    void AddTty(const std::string& entry, const fs::path& parent, const std::string& devName) {
        const fs::path tty = parent / "tty" / entry;
        WriteFile(tty / "uevent", "MAJOR=166\nMINOR=0\nDEVNAME=" + devName + "\n");
        fs::create_directory_symlink(parent, tty / "device");
        fs::create_directory_symlink(tty, Sys() / "class" / "tty" / entry);
    }

    void AddNode(const std::string& devName, const std::string& target) {
        const fs::path node = Dev() / devName;
        if (!fs::is_symlink(node))
            fs::create_symlink(target, node);
    }

    TempDir dir_;
};

std::vector<std::string> Find(const FakeSystem& system, std::string* reason = nullptr) {
    return FindGatewayPorts(system.Options(), reason);
}

TEST(PortDiscovery, RecognisesGatewaysByManufacturerOrKnownIds) {
    PtyPeer peer;
    FakeSystem system;
    system.AddUsbTty("ttyACM0", {.manufacturer = "wavecom"}, "ttyACM0", peer.SlavePath());
    system.AddUsbTty("ttyACM1", {.manufacturer = "WAVECOM Inc"}, "ttyACM1", peer.SlavePath());
    system.AddUsbTty("ttyACM2", {.manufacturer = "Acme"}, "ttyACM2", peer.SlavePath());
    system.AddUsbTty("ttyUSB0", {.manufacturer = "", .vendor = "114f", .product = "1234"},
                     "ttyUSB0", peer.SlavePath());
    system.AddPlatformTty("ttyS0", peer.SlavePath());

    EXPECT_EQ(Find(system), (std::vector<std::string>{system.DevicePath("ttyACM0"),
                                                      system.DevicePath("ttyUSB0")}));
}

TEST(PortDiscovery, OneDeviceListedTwiceIsOneCandidate) {
    PtyPeer peer;
    FakeSystem system;
    system.AddUsbTty("ttyACM0", {.manufacturer = "WAVECOM"}, "gateway", peer.SlavePath());
    system.AddUsbTty("ttyACM1", {.manufacturer = "WAVECOM"}, "gateway", peer.SlavePath());

    ModemPort port;
    bool asked = false;
    std::string reason;
    ASSERT_TRUE(DiscoverPort(
        port, system.Options(),
        [&](const std::vector<std::string>&) {
            asked = true;
            return std::string();
        },
        &reason));
    EXPECT_FALSE(asked);
    EXPECT_EQ(port.PortName(), system.DevicePath("gateway"));
    EXPECT_TRUE(port.IsOpen());
}

TEST(PortDiscovery, SeveralGatewaysAreOfferedToTheChooser) {
    PtyPeer first;
    PtyPeer second;
    FakeSystem system;
    system.AddUsbTty("ttyACM3", {.manufacturer = "WAVECOM"}, "ttyACM3", first.SlavePath());
    system.AddUsbTty("ttyACM10", {.manufacturer = "WAVECOM"}, "ttyACM10", second.SlavePath());

    std::vector<std::string> offered;
    ModemPort port;
    ASSERT_TRUE(DiscoverPort(
        port, system.Options(),
        [&](const std::vector<std::string>& candidates) {
            offered = candidates;
            return std::string("ttyACM3");  // typed as a bare name
        },
        nullptr));
    EXPECT_EQ(offered.size(), 2u);
    EXPECT_EQ(port.PortName(), system.DevicePath("ttyACM3"));
    EXPECT_TRUE(port.IsOpen());

    // Dismissing the chooser leaves no port.
    port.Close();
    ModemPort other;
    std::string reason;
    EXPECT_FALSE(DiscoverPort(
        other, system.Options(), [](const std::vector<std::string>&) { return std::string(); },
        &reason));
    EXPECT_FALSE(other.IsOpen());
    EXPECT_FALSE(reason.empty());
}

TEST(PortDiscovery, AtMostTenCandidates) {
    PtyPeer peer;
    FakeSystem system;
    for (int i = 10; i < 22; ++i) {
        const std::string name = "ttyACM" + std::to_string(i);
        system.AddUsbTty(name, {.manufacturer = "WAVECOM"}, name, peer.SlavePath());
    }
    EXPECT_EQ(Find(system).size(), 10u);
}

TEST(PortDiscovery, TheTenKeptAreTheFirstByNameWhateverTheListingOrder) {
    PtyPeer peer;
    FakeSystem system;
    for (const char* name : {"ttyACM7", "ttyACM11", "ttyACM2", "ttyACM9", "ttyACM0", "ttyACM5",
                             "ttyACM10", "ttyACM3", "ttyACM8", "ttyACM1", "ttyACM6", "ttyACM4"})
        system.AddUsbTty(name, {.manufacturer = "WAVECOM"}, name, peer.SlavePath());

    std::vector<std::string> expected;
    for (const char* name : {"ttyACM0", "ttyACM1", "ttyACM10", "ttyACM11", "ttyACM2", "ttyACM3",
                             "ttyACM4", "ttyACM5", "ttyACM6", "ttyACM7"})
        expected.push_back(system.DevicePath(name));
    EXPECT_EQ(Find(system), expected);
}

TEST(PortDiscovery, TheStableByIdLinkIsThePortNameAndFollowsARenumberedGateway) {
    auto gateway = std::make_unique<PtyPeer>();
    PtyPeer plain;
    FakeSystem system;
    const std::string byId = "usb-WAVECOM_Linkhold_R7_0123456789-if00";
    system.AddUsbTty("ttyACM0", {.manufacturer = "WAVECOM"}, "ttyACM0", gateway->SlavePath());
    system.AddUsbTty("ttyACM1", {.manufacturer = "WAVECOM"}, "ttyACM1", plain.SlavePath());
    system.AddByIdLink(byId, "ttyACM0");
    const std::string link = system.DevicePath("serial/by-id/" + byId);
    EXPECT_EQ(Find(system), (std::vector<std::string>{link, system.DevicePath("ttyACM1")}));

    ManualClock clock;
    ModemPort port(clock);
    ASSERT_TRUE(DiscoverPort(
        port, system.Options(), [&](const std::vector<std::string>&) { return byId; }, nullptr));
    EXPECT_EQ(port.PortName(), link);

    // The gateway restarts while our descriptor is open and comes back as
    // another node; udev moves the link.
    gateway->Vanish();
    PtyPeer restarted;
    restarted.QueueReply("\r\nOK\r\n");
    system.AddUsbTty("ttyACM2", {.manufacturer = "WAVECOM"}, "ttyACM2", restarted.SlavePath());
    fs::remove(link);
    system.AddByIdLink(byId, "ttyACM2");
    ASSERT_TRUE(port.Send("AT\r\n"));
    ASSERT_TRUE(restarted.WaitForReceived(4));
    EXPECT_EQ(port.PortName(), link);

    // Given on the command line, a node or a link is used as given.
    port.Close();
    DiscoveryOptions options = system.Options();
    options.explicitPort = system.DevicePath("ttyACM2");
    ASSERT_TRUE(DiscoverPort(port, options, nullptr, nullptr));
    EXPECT_EQ(port.PortName(), system.DevicePath("ttyACM2"));
    port.Close();
    options.explicitPort = link;
    ASSERT_TRUE(DiscoverPort(port, options, nullptr, nullptr));
    EXPECT_EQ(port.PortName(), link);
}

TEST(PortDiscovery, ABusyPortIsNoCandidate) {
    PtyPeer held;
    PtyPeer free;
    FakeSystem system;
    system.AddUsbTty("ttyACM0", {.manufacturer = "WAVECOM"}, "ttyACM0", held.SlavePath());
    SerialDevice otherProgram;
    ASSERT_TRUE(otherProgram.Open(held.SlavePath()));

    std::string reason;
    ModemPort port;
    EXPECT_FALSE(DiscoverPort(port, system.Options(), nullptr, &reason));
    EXPECT_NE(reason.find("busy"), std::string::npos) << reason;

    system.AddUsbTty("ttyACM1", {.manufacturer = "WAVECOM"}, "ttyACM1", free.SlavePath());
    ASSERT_TRUE(DiscoverPort(port, system.Options(), nullptr, &reason));
    EXPECT_EQ(port.PortName(), system.DevicePath("ttyACM1"));
}

TEST(PortDiscovery, ExplainsWhyNothingWasFound) {
    FakeSystem system;
    std::string reason;
    EXPECT_TRUE(Find(system, &reason).empty());
    EXPECT_NE(reason.find("No Linkhold R7"), std::string::npos) << reason;

    // A stale entry whose node is gone.
    system.AddUsbTty("ttyACM0", {.manufacturer = "WAVECOM"}, "ttyACM0", "/nonexistent/tty");
    EXPECT_TRUE(Find(system, &reason).empty());
    EXPECT_NE(reason.find(system.DevicePath("ttyACM0")), std::string::npos) << reason;
}

TEST(PortDiscovery, AnExplicitDeviceSkipsTheSearchButNotTheChecks) {
    PtyPeer peer;
    DiscoveryOptions options{"/nonexistent-sysfs", "/dev", peer.SlavePath()};
    ModemPort port;
    ASSERT_TRUE(DiscoverPort(port, options, nullptr, nullptr));
    EXPECT_EQ(port.PortName(), peer.SlavePath());

    SerialDevice otherProgram;
    port.Close();
    ASSERT_TRUE(otherProgram.Open(peer.SlavePath()));
    std::string reason;
    EXPECT_FALSE(DiscoverPort(port, options, nullptr, &reason));
    EXPECT_NE(reason.find("busy"), std::string::npos) << reason;
}

TEST(PortDiscovery, TheOpenedPortIsNotDrained) {
    PtyPeer peer;
    DiscoveryOptions options{"/nonexistent-sysfs", "/dev", peer.SlavePath()};
    peer.Write("\r\nRING\r\n\r\nOK\r\n");
    ModemPort port;
    ASSERT_TRUE(DiscoverPort(port, options, nullptr, nullptr));
    std::string reply;
    ASSERT_TRUE(port.Receive("AT\r\n", 100, 20000, false, nullptr, reply));
    EXPECT_EQ(reply, "\r\nRING\r\n\r\nOK\r\n");
}

}  // namespace
