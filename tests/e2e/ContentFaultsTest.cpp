#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "link/ModemPort.h"
#include "model/ConfigApply.h"
#include "model/ConfigModel.h"
#include "model/DeviceInfoCollection.h"
#include "model/NodeDiscovery.h"
#include "model/ReplyText.h"
#include "model/RequestDocuments.h"
#include "model/UnreadReport.h"
#include "tests/link/TempDir.h"
#include "tests/support/FullDisk.h"
#include "tests/support/ResourceUse.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "tests/support/WorkerScriptRunner.h"
#include "tests/support/WorkerUploadRunner.h"
#include "tests/ui/FakePrompter.h"
#include "transfer/ConfigBackup.h"
#include "transfer/DeviceScripts.h"
#include "transfer/PythonFiles.h"
#include "transfer/RadioFirmwareUpdate.h"

namespace {

namespace fs = std::filesystem;

// The replies of a gateway without faults, so that every case starts from
// the trees start-up would have loaded.
struct CleanReplies {
    std::string settings, state, radio;
};

const CleanReplies& Clean() {
    static const CleanReplies replies = [] {
        SimGateway gateway;
        ScaledClock clock(20);
        ModemPort port(clock);
        port.SetPortName(gateway.LinkPath());
        WorkerScriptRunner runner(port);
        JobList jobs;
        for (const std::string_view query : {kSettingsQuery, kStateQuery, kRadioSettingsQuery})
            jobs.emplace_back(InlineCommand(query), "", 20000);
        if (port.Open())
            runner.Run(jobs);
        return CleanReplies{jobs[0].GetResponse(), jobs[1].GetResponse(), jobs[2].GetResponse()};
    }();
    return replies;
}

// The group lists the pages read from: unchanged lists show the values read
// before.
std::vector<xmlNodePtr> Groups(const ConfigModel& model) {
    return {model.SettingsGroups(), model.StateGroups(), model.RadioGroups()};
}

// A model as start-up leaves it with a gateway without faults.
void LoadClean(ConfigModel& model) {
    ASSERT_TRUE(model.LoadSettingsReply(Clean().settings) &&
                model.LoadStateReply(RemoveAll(Clean().state, "&")) &&
                model.LoadRadioSettingsReply(Clean().radio));
    for (const xmlNodePtr groups : Groups(model))
        ASSERT_NE(groups, nullptr);
}

std::vector<std::string> Documents(const UnreadReplies& unread) {
    std::vector<std::string> names;
    for (const UnreadReply& reply : unread)
        names.push_back(reply.document);
    return names;
}

// Commands that change something on the gateway.
bool Writes(const std::string& command) {
    for (const char* marker : {"set_setting", "set_factory_default", "<rm ", "fw_update", "=110",
                               "CFUN", "AT&USBINTERFACE"}) {
        if (command.find(marker) != std::string::npos)
            return true;
    }
    return false;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void Put(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The gateway's files: one program, and a firmware image already uploaded, so
// that an install restarts the gateway instead of being refused.
std::vector<std::string> WithFiles(const TempDir& config, std::vector<std::string> simArgs) {
    Put(config.Path() / "fs" / "WEB" / "python" / "blink.py", "print('blink')\n");
    Put(config.Path() / "fs" / "WEB" / "python" / "caf\xc3\xa9.py", "print('caf\xc3\xa9')\n");
    Put(config.Path() / "fs" / "fw" / "updatefw.dwl", "image");
    simArgs.insert(simArgs.end(), {"--config", config.Path().string()});
    return simArgs;
}

// A link to one simulated gateway with a fault switched on; every step of a
// case is one script, and what reached the gateway is read per step.
struct FaultyGateway {
    explicit FaultyGateway(std::vector<std::string> simArgs, std::uint32_t speed = 20)
        : sim(WithFiles(config, std::move(simArgs))), clock(speed), port(clock), runner(port) {
        port.SetPortName(sim.LinkPath());
        opened = port.Open();
    }

    // The commands received since the previous call.
    std::vector<std::string> NewCommands() {
        const std::vector<std::string> all = sim.ReceivedCommands();
        std::vector<std::string> fresh(all.begin() + static_cast<long>(seen), all.end());
        seen = all.size();
        return fresh;
    }
    int NewWrites() {
        int writes = 0;
        for (const std::string& command : NewCommands())
            writes += Writes(command) ? 1 : 0;
        return writes;
    }

    TempDir config;
    SimGateway sim;
    ScaledClock clock;
    ModemPort port;
    WorkerScriptRunner runner;
    std::size_t seen = 0;
    bool opened = false;
};

const std::vector<std::string> kAllThree = {"device settings", "device state", "radio settings"};

}  // namespace

// Every script that reads a configuration, file list, file or node reply,
// against a gateway whose XML replies are all spoiled the same way: the user
// is told which document was not read, the trees keep their values, nothing
// is listed or saved, and nothing is written to the gateway that the script
// was not about.
struct UnreadableReplies : testing::TestWithParam<const char*> {};

TEST_P(UnreadableReplies, KeepTheTreesAndWriteNothingUnasked) {
    FaultyGateway gateway({"--spoil", std::string(GetParam()) + ":rci_request"});
    ASSERT_TRUE(gateway.opened);
    FakePrompter prompter;

    // Refresh over trees read before: the values shown stay, but the
    // documents are gone, so there is nothing to apply or back up.
    ConfigModel model;
    LoadClean(model);
    const std::vector<xmlNodePtr> shown = Groups(model);
    const std::string settings = SerializeForRequest(model.SettingsDocument());
    const std::string radio = SerializeForRequest(model.RadioSettingsDocument());
    DeviceInfo info;
    const CollectionResult refreshed = CollectDeviceInfo(gateway.runner, model, info);
    EXPECT_EQ(Documents(refreshed.unread), kAllThree);
    EXPECT_EQ(Groups(model), shown);
    EXPECT_EQ(gateway.NewWrites(), 0);
    ReportUnreadReplies(prompter, refreshed.unread);
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].text,
              "The device settings, the device state and the radio settings sent by the "
              "device could not be read. The previous values are kept.");
    EXPECT_FALSE(ApplyConfiguration(gateway.runner, model).sent);
    EXPECT_FALSE(ApplyRadioConfiguration(gateway.runner, model).sent);
    EXPECT_EQ(WriteBackup(model.SettingsDocument(), "/nonexistent/backup.cfg").problem,
              BackupResult::Problem::NoDocument);
    EXPECT_TRUE(gateway.NewCommands().empty()) << "an apply without a tree sends nothing";

    // Apply: the whole document goes out once, and only once.
    LoadClean(model);
    const ApplyResult applied = ApplyConfiguration(gateway.runner, model);
    EXPECT_FALSE(applied.reloaded);
    EXPECT_EQ(Documents(applied.unread), std::vector<std::string>{"device settings"});
    std::vector<std::string> sent = gateway.NewCommands();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1], settings) << "the whole document, as it was";
    EXPECT_FALSE(ApplyConfiguration(gateway.runner, model).sent)
        << "the tree not read again is not sent again";
    const ApplyResult radioApplied = ApplyRadioConfiguration(gateway.runner, model);
    EXPECT_EQ(Documents(radioApplied.unread), std::vector<std::string>{"radio settings"});
    sent = gateway.NewCommands();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1], radio);

    // The reloads after whole-device operations.
    LoadClean(model);
    const std::vector<xmlNodePtr> reloaded = Groups(model);
    EXPECT_EQ(Documents(RestoreFactoryDefaults(gateway.runner, model).unread),
              (std::vector<std::string>{"device settings", "device state"}));
    EXPECT_EQ(gateway.NewWrites(), 2) << "the reset and the restart";
    EXPECT_EQ(Documents(RestoreConfiguration(gateway.runner, model, settings).unread),
              std::vector<std::string>{"device settings"});
    EXPECT_EQ(gateway.NewWrites(), 2) << "the configuration and the restart";
    EXPECT_EQ(Documents(InstallFirmware(gateway.runner, model).unread),
              std::vector<std::string>{"device state"});
    EXPECT_EQ(gateway.NewWrites(), 1) << "the install command";
    EXPECT_EQ(Groups(model), reloaded);

    // Files and nodes: nothing listed, nothing saved, the fetch offered again.
    EXPECT_FALSE(ListPythonFiles(gateway.runner));
    TempDir local;
    prompter.fileAnswers = {(local.Path() / "blink.py").string()};
    DownloadPythonFiles(gateway.runner, prompter, {{"blink.py", "15"}});
    ASSERT_EQ(prompter.retryQuestions.size(), 1u);
    EXPECT_EQ(prompter.retryQuestions[0].text,
              "File download failed.\r\nSelect Retry to attempt the file download again.");
    EXPECT_TRUE(prompter.fileFilters.empty()) << "no save dialog for a file not read";
    EXPECT_TRUE(fs::is_empty(local.Path()));
    EXPECT_FALSE(DiscoverNodes(gateway.runner));
    EXPECT_EQ(gateway.NewWrites(), 0);
}

INSTANTIATE_TEST_SUITE_P(ContentFaults, UnreadableReplies,
                         testing::Values("cut", "dtd", "deep", "binary"));

// Replies padded to 20 MB overflow the reply buffer: each such query fails as
// an unreadable reply, nothing of it is loaded, its rest is read away
// before the next command, and the process never holds the whole reply. Time
// runs at its real pace here: the rest of a reply must arrive within its
// query's deadline, also on a loaded machine.
TEST(ContentFaults, TwentyMegabyteRepliesFailTheirQueryWithBoundedMemory) {
    FaultyGateway gateway({"--oversize", "20000000"}, 1);
    ASSERT_TRUE(gateway.opened);
    ConfigModel model;
    LoadClean(model);
    const std::vector<xmlNodePtr> shown = Groups(model);
    FakePrompter prompter;
    TempDir local;
    prompter.fileAnswers = {(local.Path() / "blink.py").string()};
    const ResourceUse use;

    DeviceInfo info;
    const CollectionResult collected = CollectDeviceInfo(gateway.runner, model, info);
    EXPECT_TRUE(collected.complete);
    EXPECT_EQ(collected.unread.size(), 3u);
    EXPECT_EQ(Groups(model), shown);
    EXPECT_EQ(info.manufacturer, "Halvard Cellular") << "the modem queries came first";
    JobList next{CommandJob("AT+CGMI\r\n", "", 500)};
    gateway.runner.Run(next);
    EXPECT_EQ(next[0].GetResponse(), "Halvard Cellular") << "nothing of the big reply left";

    DownloadPythonFiles(gateway.runner, prompter, {{"blink.py", "15"}});
    ASSERT_EQ(prompter.retryQuestions.size(), 1u);
    EXPECT_EQ(prompter.retryQuestions[0].text,
              "File download failed.\r\nSelect Retry to attempt the file download again.");
    EXPECT_TRUE(fs::is_empty(local.Path()));
    EXPECT_EQ(gateway.NewWrites(), 0);

    EXPECT_LT(use.PeakGrowthKb(), 16 * 1024) << "a whole reply was held";
    EXPECT_LT(use.CpuSecondsSpent(), use.WallSecondsPassed() / 2);
}

// A download onto a full disk (a file size limit stands in for it) and onto a
// device like /dev/full: each is reported and asked about again, the older
// file of that name stays whole, no temporary file is left, and the device
// stays a device.
TEST(ContentFaults, DownloadOntoAFullDiskKeepsTheOlderFile) {
    FaultyGateway gateway({});
    ASSERT_TRUE(gateway.opened);
    TempDir local;
    const fs::path older = local.Path() / "blink.py";
    Put(older, "older version of the program\n");
    TempDir devices;
    const std::string device = MakeFullDevice(devices.Path());
    FakePrompter prompter;
    prompter.fileAnswers = {older.string(), device};
    {
        const FileSizeLimit full(8);
        DownloadPythonFiles(gateway.runner, prompter, {{"blink.py", "15"}});
    }

    const std::size_t failures = device.empty() ? 1u : 2u;
    ASSERT_EQ(prompter.warnings.size(), failures);
    EXPECT_EQ(prompter.warnings[0].text, "Unable to write " + older.string() + ".\nFile too large");
    EXPECT_EQ(prompter.fileFilters.size(), failures + 1) << "asked again until the user cancels";
    EXPECT_EQ(ReadFile(older), "older version of the program\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(local.Path()), {}), 1);
    if (!device.empty()) {
        EXPECT_EQ(prompter.warnings[1].text,
                  "Unable to write " + device + ".\nNo space left on device");
        EXPECT_TRUE(fs::is_character_file(device));
    }
    EXPECT_EQ(gateway.NewCommands().size(), 3 * (failures + 1)) << "one fetch per attempt";
    EXPECT_EQ(gateway.NewWrites(), 0);
}

namespace {

// The file goes away just as its upload starts, as when it is removed while
// the user waits for the progress dialog.
struct VanishingUploads : UploadRunner {
    explicit VanishingUploads(UploadRunner& real) : real_(real) {}
    UploadOutcome Upload(const std::string& localPath, UploadTarget target) override {
        fs::remove(localPath);
        return real_.Upload(localPath, target);
    }
    UploadRunner& real_;
};

}  // namespace

// Nothing was sent, so there is no digest to ask for and nothing to install:
// the user is told the file could not be opened, and no more reaches the
// gateway.
TEST(ContentFaults, AFileRemovedAsItsUploadStartsIsReportedAndNothingFollows) {
    FaultyGateway gateway({});
    ASSERT_TRUE(gateway.opened);
    WorkerUploadRunner real(gateway.port, gateway.clock);
    VanishingUploads uploader(real);
    ConfigModel model;
    LoadClean(model);
    FakePrompter prompter;
    TempDir dir;
    const std::pair<const char*, std::function<void(const std::string&)>> kUploads[] = {
        {"gone.py",
         [&](const std::string& path) {
             EXPECT_FALSE(UploadPythonProgram(gateway.runner, uploader, prompter, path).files);
         }},
        {"image.bin",
         [&](const std::string& path) {
             EXPECT_EQ(UpdateFirmware(gateway.runner, uploader, prompter, model, path).outcome,
                       FirmwareUpdateOutcome::NotSent);
         }},
        {"radio.ebl",
         [&](const std::string& path) {
             EXPECT_EQ(UpdateRadioFirmware(gateway.runner, uploader, prompter, model, path).outcome,
                       RadioFirmwareOutcome::NotSent);
         }},
    };
    for (const auto& [name, upload] : kUploads) {
        const std::string path = (dir.Path() / name).string();
        Put(path, "content");
        upload(path);
    }

    EXPECT_TRUE(prompter.retryQuestions.empty());
    ASSERT_EQ(prompter.warnings.size(), 3u);
    EXPECT_EQ(prompter.warnings[0].text, "Unable to open the python file to send.");
    EXPECT_EQ(prompter.warnings[1].text, "Unable to open the firmware file to update.");
    EXPECT_EQ(prompter.warnings[2].text, "Unable to open the firmware file to update.");
    EXPECT_TRUE(gateway.NewCommands().empty());
}

// A gateway that answers in ISO-8859-1 without saying so is still read: every
// byte is one character, so a program name with an accent is listed, fetched
// by the same name and saved whole, and the trees and nodes load.
TEST(ContentFaults, RepliesInLatin1AreReadEverywhere) {
    FaultyGateway gateway({"--spoil", "latin1:rci_request"});
    ASSERT_TRUE(gateway.opened);
    ConfigModel model;
    DeviceInfo info;
    EXPECT_TRUE(CollectDeviceInfo(gateway.runner, model, info).unread.empty());
    EXPECT_NE(model.SettingsDocument(), nullptr);
    EXPECT_NE(model.RadioSettingsDocument(), nullptr);
    EXPECT_FALSE(DiscoverNodes(gateway.runner).value().empty());

    const std::vector<GatewayFile> listed =
        ListPythonFiles(gateway.runner).value_or(std::vector<GatewayFile>{});
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1].name, "caf\xc3\xa9.py");
    TempDir local;
    FakePrompter prompter;
    prompter.fileAnswers = {(local.Path() / "copy.py").string()};
    DownloadPythonFiles(gateway.runner, prompter, {listed[1]});
    EXPECT_TRUE(prompter.retryQuestions.empty());
    EXPECT_EQ(ReadFile(local.Path() / "copy.py"), "print('caf\xc3\xa9')\n");
    EXPECT_EQ(gateway.NewWrites(), 0);
}
