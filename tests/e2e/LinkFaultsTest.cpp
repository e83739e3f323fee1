#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "model/ConfigApply.h"
#include "model/ConfigModel.h"
#include "model/DeviceInfo.h"
#include "model/DeviceInfoCollection.h"
#include "tests/link/TempDir.h"
#include "tests/support/ResourceUse.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/support/WorkerScriptRunner.h"
#include "tests/support/WorkerUploadRunner.h"
#include "tests/ui/FakePrompter.h"
#include "tests/utils/ScriptTestSupport.h"
#include "transfer/DeviceScripts.h"
#include "transfer/PythonFiles.h"

namespace {

// The program's link, trees and questions against a simulated gateway with a
// fault switched on. Time runs `speed` times faster than real while the port is
// there, `awaySpeed` times while it is gone.
struct FaultyGateway {
    explicit FaultyGateway(std::vector<std::string> simArgs, std::uint32_t awaySpeed = 20,
                           bool collect = true, std::uint32_t speed = 20)
        : sim(std::move(simArgs)),
          clock(sim.LinkPath(), speed, awaySpeed),
          port(clock),
          runner(port),
          uploader(port, clock) {
        port.SetPortName(sim.LinkPath());
        opened = port.Open();
        ready = opened && (!collect || CollectDeviceInfo(runner, model, info).complete);
    }

    std::vector<std::string> Events() const {
        std::vector<std::string> events;
        for (const SimRecord& record : sim.Records())
            if (record.kind == "event")
                events.push_back(record.bytes);
        return events;
    }
    // Whether any command the gateway received contains the text.
    bool Received(const std::string& text) const {
        const std::vector<std::string> all = sim.ReceivedCommands();
        return std::any_of(all.begin(), all.end(), [&](const std::string& command) {
            return command.find(text) != std::string::npos;
        });
    }

    SimGateway sim;
    AwayClock clock;
    ModemPort port;
    WorkerScriptRunner runner;
    WorkerUploadRunner uploader;
    ConfigModel model;
    DeviceInfo info;
    FakePrompter prompter;
    bool opened = false;
    bool ready = false;
};

std::string WriteLocal(const TempDir& dir, const std::string& name, std::size_t size) {
    const std::string path = (dir.Path() / name).string();
    std::string bytes;
    for (std::size_t i = 0; bytes.size() < size; ++i)
        bytes += "print(" + std::to_string(i) + ")\n";
    bytes.resize(size);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::vector<std::string> Names(const std::vector<GatewayFile>& files) {
    std::vector<std::string> names;
    for (const GatewayFile& file : files)
        names.push_back(file.name + ":" + file.size);
    return names;
}

constexpr char kApn[] = "mobile_simple/apn";
constexpr char kStockApn[] = "internet.linkhold.example";

}  // namespace

// The port goes away (for a moment) in the middle of the state query: that
// collection is incomplete and loads nothing it did not get whole; the next one
// works. The wait for the port sleeps instead of spinning.
TEST(LinkFaults, PortVanishingDuringACollectionFailsItAndTheNextOneWorks) {
    FaultyGateway gateway({"--vanish-on", "query_state"}, 20, false);
    ASSERT_TRUE(gateway.opened);
    const ResourceUse use;

    const CollectionResult first = CollectDeviceInfo(gateway.runner, gateway.model, gateway.info);

    EXPECT_LT(use.CpuSecondsSpent(), use.WallSecondsPassed() / 2);
    EXPECT_FALSE(first.complete);
    EXPECT_TRUE(first.unread.empty());
    EXPECT_EQ(gateway.model.StateGroups(), nullptr);
    EXPECT_EQ(gateway.info.manufacturer, "Halvard Cellular");
    EXPECT_EQ(gateway.Events(), (std::vector<std::string>{"down vanish", "up"}));
    EXPECT_TRUE(CollectDeviceInfo(gateway.runner, gateway.model, gateway.info).complete);
    EXPECT_NE(gateway.model.StateGroups(), nullptr);
    EXPECT_FALSE(gateway.Received("set_setting"));
}

// The port goes away instead of answering the applied document: the gateway
// never took it, the reload shows what it still holds, not what was typed.
TEST(LinkFaults, PortVanishingDuringAnApplyShowsWhatTheGatewayStillHolds) {
    FaultyGateway gateway({"--vanish-on", "set_setting"});
    ASSERT_TRUE(gateway.ready);
    ChangeValue(gateway.model.SettingsGroups(), kApn, "typed.apn");

    const ApplyResult result = ApplyConfiguration(gateway.runner, gateway.model);

    EXPECT_TRUE(result.reloaded);
    EXPECT_EQ(ValueAt(gateway.model.SettingsGroups(), kApn), kStockApn);
    EXPECT_EQ(gateway.Events(), (std::vector<std::string>{"down vanish", "up"}));
}

// The port goes away after 2 KB of a 6 KB program: the cut upload is not
// stored, the digest tells, Retry sends it whole.
TEST(LinkFaults, UploadCutByTheVanishingPortIsCaughtByTheDigestAndSentAgain) {
    FaultyGateway gateway({"--vanish-after-bytes", "2048"});
    ASSERT_TRUE(gateway.ready);
    TempDir local;
    const std::string program = WriteLocal(local, "cut.py", 6000);
    gateway.prompter.retryAnswers = {true};

    const PythonUploadResult result =
        UploadPythonProgram(gateway.runner, gateway.uploader, gateway.prompter, program);

    ASSERT_EQ(gateway.prompter.retryQuestions.size(), 1u);
    EXPECT_EQ(gateway.prompter.retryQuestions[0].text,
              "The file " + program + " did not correctly transfer.");
    EXPECT_TRUE(gateway.prompter.warnings.empty());
    EXPECT_EQ(gateway.uploader.Outcomes(),
              (std::vector<UploadOutcome>{UploadOutcome::Cut, UploadOutcome::Sent}));
    EXPECT_TRUE(result.verified);
    ASSERT_TRUE(result.files);
    const std::vector<std::string> listed = Names(*result.files);
    EXPECT_NE(std::find(listed.begin(), listed.end(), "cut.py:6000"), listed.end());
}

// After a reboot the port is away for a while: the next script waits for it
// and works.
TEST(LinkFaults, AfterARebootTheNextScriptWaitsForThePortAndWorks) {
    FaultyGateway gateway({});
    ASSERT_TRUE(gateway.ready);

    RebootDevice(gateway.runner);
    const std::vector<GatewayFile> files =
        ListPythonFiles(gateway.runner).value_or(std::vector<GatewayFile>{});

    EXPECT_EQ(gateway.Events(), (std::vector<std::string>{"down reboot", "up"}));
    EXPECT_EQ(files.size(), 3u);
}

// A gateway that installs and never comes back: the update must not count as
// done, and the firmware version held is still the old one.
TEST(LinkFaults, FirmwareInstallWhoseGatewayNeverComesBackIsNotReportedAsDone) {
    FaultyGateway gateway({"--stay-down"}, 5000);
    ASSERT_TRUE(gateway.ready);
    TempDir local;
    const std::string image = WriteLocal(local, "r7.bin", 3000);

    const FirmwareUpdateResult result =
        UpdateFirmware(gateway.runner, gateway.uploader, gateway.prompter, gateway.model, image);

    EXPECT_EQ(result.outcome, FirmwareUpdateOutcome::NotBack);
    EXPECT_EQ(ValueAt(gateway.model.StateGroups(), "device_info/firmwaresoftrevstr"), "2.11.4.7");
    EXPECT_EQ(gateway.Events(), (std::vector<std::string>{"down install"}));
    EXPECT_EQ(gateway.sim.ReceivedCommands().back(), "at&usbinterface=110\r\n");
    EXPECT_TRUE(gateway.prompter.retryQuestions.empty());
}

// The port goes for good in the middle of a page script: it ends (the link
// gives up after its six-minute wait), and so does the next one; neither
// reloads anything, the model keeps what it held, and nothing after the lost
// command reached the gateway.
TEST(LinkFaults, PortGoneForGoodEndsEveryPageScriptWithoutChangingTheModel) {
    for (const bool applyFirst : {true, false}) {
        const char* on = applyFirst ? "set_setting" : "<ls";
        SCOPED_TRACE(on);
        FaultyGateway gateway({"--vanish-on", on, "--vanish-for-good"}, 5000);
        ASSERT_TRUE(gateway.ready);
        ChangeValue(gateway.model.SettingsGroups(), kApn, "typed.apn");
        const auto apply = [&] { return ApplyConfiguration(gateway.runner, gateway.model); };
        const auto list = [&] {
            return ListPythonFiles(gateway.runner).value_or(std::vector<GatewayFile>{});
        };

        ApplyResult applied;
        std::vector<GatewayFile> files;
        if (applyFirst) {
            applied = apply();
            files = list();
        } else {
            files = list();
            applied = apply();
        }

        EXPECT_FALSE(applied.reloaded);
        EXPECT_TRUE(applied.unread.empty());
        EXPECT_EQ(ValueAt(gateway.model.SettingsGroups(), kApn), "typed.apn");
        EXPECT_TRUE(files.empty());
        EXPECT_EQ(gateway.Events(), (std::vector<std::string>{"down vanish"}));
        const std::vector<std::string> commands = gateway.sim.ReceivedCommands();
        EXPECT_NE(commands.back().find(on), std::string::npos) << commands.back();
    }
}

namespace {

// Everything a collection brought back, as text.
std::vector<std::string> Collected(const FaultyGateway& gateway) {
    const DeviceInfo& info = gateway.info;
    return {info.manufacturer,
            info.serialNumber,
            info.revision,
            info.imsi,
            info.phoneNumber,
            std::to_string(info.signal),
            std::to_string(info.registration),
            SerializeForRequest(gateway.model.SettingsDocument()),
            SerializeForRequest(gateway.model.StateDocument()),
            SerializeForRequest(gateway.model.RadioSettingsDocument())};
}

// Downloads one program from the gateway into the directory; the local bytes,
// or "(none)" when nothing was written.
std::string Download(FaultyGateway& gateway, const TempDir& local, const std::string& name) {
    const std::string path = (local.Path() / name).string();
    gateway.prompter.fileAnswers = {path};
    DownloadPythonFiles(gateway.runner, gateway.prompter, {{name, "5000"}});
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "(none)";
}

constexpr char kSettingsMarker[] = "<query_setting></query_setting>";
constexpr char kDownloadFailed[] =
    "File download failed.\r\nSelect Retry to attempt the file download again.";

}  // namespace

// Configuration replies that cannot be taken whole: NUL bytes inside (the
// reply ends at the first), one that never ends and one beyond the reply
// buffer (both cut short). Each is an unreadable reply, not a missing one: the
// collection is complete, nothing is loaded as if complete, the settings are
// named for the user, and the wait neither spins nor holds more than the
// reply buffer.
TEST(LinkFaults, SettingsRepliesThatCannotBeTakenWholeLoadNothing) {
    const std::vector<std::string> kFaults[] = {
        {"--nul-on", kSettingsMarker},
        {"--endless-on", kSettingsMarker},
        {"--oversize", "150000"},
    };
    for (const std::vector<std::string>& fault : kFaults) {
        SCOPED_TRACE(fault[0]);
        FaultyGateway gateway(fault, 20, false);
        ASSERT_TRUE(gateway.opened);
        const ResourceUse use;

        const CollectionResult result =
            CollectDeviceInfo(gateway.runner, gateway.model, gateway.info);

        EXPECT_LT(use.CpuSecondsSpent(), use.WallSecondsPassed() / 2);
        EXPECT_LT(use.PeakGrowthKb(), 40 * 1024);
        EXPECT_TRUE(result.complete);
        EXPECT_EQ(gateway.model.SettingsGroups(), nullptr);
        ASSERT_FALSE(result.unread.empty());
        EXPECT_EQ(result.unread[0].document, "device settings");
    }
}

// A NUL byte in an AT reply cuts its text there: the reply is not whole and
// nothing is taken from it; a status line that never comes makes the query
// wait out its deadline (without spinning) and keeps what came; the next
// queries are answered as usual.
TEST(LinkFaults, AtRepliesWithNulBytesAreNoAnswerAndThoseWithoutStatusKeepWhatCame) {
    FaultyGateway gateway({"--nul-on", "AT+CGMI", "--no-status-on", "AT+CGSN"}, 20, false);
    ASSERT_TRUE(gateway.opened);
    const ResourceUse use;

    EXPECT_TRUE(CollectDeviceInfo(gateway.runner, gateway.model, gateway.info).complete);

    EXPECT_LT(use.CpuSecondsSpent(), use.WallSecondsPassed() / 2);
    EXPECT_EQ(gateway.info.manufacturer, "");
    EXPECT_EQ(gateway.info.serialNumber, "356938035643809");
    EXPECT_EQ(gateway.info.revision, "HC7350 R07.12.3 2019/04/11");
}

// A file fetch that cannot be taken whole (a NUL inside, or beyond the buffer
// sized from the listed length) is a failed download: the user is asked to
// retry, no save dialog comes and no local file is written.
TEST(LinkFaults, FetchRepliesThatCannotBeTakenWholeWriteNoLocalFile) {
    for (const char* fault : {"--nul-on", "--oversize"}) {
        SCOPED_TRACE(fault);
        FaultyGateway gateway({fault, fault == std::string("--oversize") ? "150000" : "get_file"},
                              20, false);
        ASSERT_TRUE(gateway.opened);
        TempDir local;

        EXPECT_EQ(Download(gateway, local, "blink.py"), "(none)");

        ASSERT_EQ(gateway.prompter.retryQuestions.size(), 1u);
        EXPECT_EQ(gateway.prompter.retryQuestions[0].text, kDownloadFailed);
        EXPECT_TRUE(gateway.prompter.fileFilters.empty());
        EXPECT_TRUE(std::filesystem::is_empty(local.Path()));
    }
}

// Every reply written one byte at a time: the collection and a file fetch
// come out exactly as from a gateway that writes each reply at once. (Time
// runs at nearly its real pace: a reply that trickles in for a second must
// not meet a deadline shrunk twentyfold.)
TEST(LinkFaults, RepliesSplitAtEveryByteReadTheSameAsWholeOnes) {
    FaultyGateway whole({});
    FaultyGateway split({"--split-replies", "200"}, 20, true, 2);
    ASSERT_TRUE(whole.ready);
    ASSERT_TRUE(split.ready);
    TempDir wholeDir, splitDir;

    EXPECT_EQ(Collected(split), Collected(whole));
    const std::string program = Download(whole, wholeDir, "tank_level_logger.py");
    EXPECT_GT(program.size(), 400u);
    EXPECT_EQ(Download(split, splitDir, "tank_level_logger.py"), program);
    EXPECT_TRUE(split.prompter.retryQuestions.empty());
}

namespace {

// The reason start-up would show when it tries the port now; empty when the
// port opened.
std::string ReasonPortIsRefused(const SimGateway& sim) {
    DiscoveryOptions options;
    options.explicitPort = sim.LinkPath();
    ModemPort port;
    std::string reason;
    return DiscoverPort(port, options, {}, &reason) ? std::string() : reason;
}

}  // namespace

// A port another program holds (its own open file description, locked as
// this program locks it) or one the user may not open: start-up gets a reason
// that names the problem and how to fix it, and nothing reaches the gateway.
// Root opens anything, so the permission case drops the effective user for
// the attempt.
TEST(LinkFaults, APortHeldElsewhereOrNotPermittedIsRefusedWithItsReasonAndNothingSent) {
    SimGateway sim;
    const std::string link = sim.LinkPath();

    const int other = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    const std::string busy = ReasonPortIsRefused(sim);
    ::close(other);

    std::string denied;
    if (::geteuid() == 0) {
        ASSERT_EQ(::seteuid(65534), 0);
        denied = ReasonPortIsRefused(sim);
        ASSERT_EQ(::seteuid(0), 0);
    } else {
        const std::string node = std::filesystem::canonical(link).string();
        ASSERT_EQ(::chmod(node.c_str(), 0), 0);
        denied = ReasonPortIsRefused(sim);
        ::chmod(node.c_str(), S_IRUSR | S_IWUSR);
    }

    EXPECT_EQ(busy, link +
                        " is busy: another program holds it open, for example ModemManager or a "
                        "second copy of this program. Close it, or tell ModemManager to ignore "
                        "the device (udev ENV{ID_MM_DEVICE_IGNORE}=\"1\").");
    EXPECT_EQ(denied, "Permission denied on " + link +
                          ". Add your user to the 'dialout' group and log in again, or install a "
                          "udev rule that gives your user access to the device.");
    EXPECT_EQ(ReasonPortIsRefused(sim), "");
    EXPECT_EQ(sim.ReceivedBytes(), "");
}
