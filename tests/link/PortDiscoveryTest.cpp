#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "link/SerialDevice.h"
#include "link/SysfsDeviceIdentity.h"
#include "tests/link/FakeSystem.h"
#include "tests/link/PtyPeer.h"
#include "tests/support/TestClocks.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Find(const FakeSystem& system, std::string* reason = nullptr) {
    return FindGatewayPorts(system.Options(), reason);
}

TEST(PortDiscovery, RecognisesGatewaysByManufacturerOrListedIds) {
    PtyPeer peer;
    FakeSystem system;
    // Only whole pairs count: a line cut short must not match another device.
    system.ListGateways("# field units\n114F:1234  # bare modem\n1234\n1234:56789\n");
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

    // Given on the command line, a node is used through its link where it has
    // one (the node may go to another device while the gateway restarts); a
    // link, or a node without one, is used as given.
    port.Close();
    DiscoveryOptions options = system.Options();
    for (const std::string& given : {system.DevicePath("ttyACM2"), link}) {
        options.explicitPort = given;
        ASSERT_TRUE(DiscoverPort(port, options, nullptr, nullptr));
        EXPECT_EQ(port.PortName(), link);
        port.Close();
    }
    options.explicitPort = system.DevicePath("ttyACM1");
    ASSERT_TRUE(DiscoverPort(port, options, nullptr, nullptr));
    EXPECT_EQ(port.PortName(), system.DevicePath("ttyACM1"));
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
    // Root gets past TIOCEXCL: the failed attempt must leave the holder's flag set.
    int exclusive = 0;
    ASSERT_EQ(::ioctl(otherProgram.Descriptor(), TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0);

    // A program that holds the port with TIOCEXCL alone, without the lock.
    PtyPeer flagOnly;
    const int flagged = ::open(flagOnly.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(flagged, 0);
    ASSERT_EQ(::ioctl(flagged, TIOCEXCL), 0);
    SerialDevice probe;
    EXPECT_FALSE(probe.Open(flagOnly.SlavePath()));
    EXPECT_EQ(probe.LastError(), EBUSY);
    ASSERT_EQ(::ioctl(flagged, TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0);
    ::close(flagged);

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

// A USB tty is known by what sysfs says of its USB device and interface: the
// same modem keeps that identity, another modem on the same node does not.
TEST(PortDiscovery, AUsbTtyIsKnownByItsUsbDevice) {
    PtyPeer peer;
    SerialDevice device;
    ASSERT_TRUE(device.Open(peer.SlavePath()));
    struct stat node {};
    ASSERT_EQ(::fstat(device.Descriptor(), &node), 0);
    const std::string number =
        std::to_string(major(node.st_rdev)) + ":" + std::to_string(minor(node.st_rdev));
    std::vector<std::string> identities;
    for (const char* product : {"5678", "5678", "9999"}) {
        FakeSystem system;
        system.AddUsbTty("ttyACM0", {.manufacturer = "WAVECOM", .product = product}, "ttyACM0",
                         peer.SlavePath());
        system.AddDeviceNumber("ttyACM0", number);
        identities.push_back(SysfsDeviceIdentity(system.Sys().string()).Of(device.Descriptor()));
    }
    EXPECT_TRUE(identities[0].starts_with("usb 1234:5678 'WAVECOM'")) << identities[0];
    EXPECT_EQ(identities[1], identities[0]);
    EXPECT_NE(identities[2], identities[0]);
}
