#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLineEdit>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/ConfigModel.h"
#include "model/XmlDocument.h"
#include "tests/link/TempDir.h"
#include "tests/support/FullDisk.h"
#include "tests/support/ResourceUse.h"
#include "tests/support/TestClocks.h"
#include "tests/ui/FakePrompter.h"
#include "tests/ui/RecordingRunner.h"
#include "tests/utils/ScriptTestSupport.h"
#include "transfer/UtilsPage.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

struct ConfigBackupTest : testing::Test {
    ConfigBackupTest() { prompter.agree = true; }

    std::string Write(const std::string& name, const std::string& content) {
        const fs::path path = dir.Path() / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    void TypePath(const std::string& path) {
        page.findChild<QLineEdit*>("restorePath")->setText(QString::fromStdString(path));
    }
    std::vector<std::string> DirectoryEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    TempDir dir;
    ConfigModel model;
    RecordingRunner runner;
    FakePrompter prompter;
    UtilsPage page{model, runner, prompter};
};

}  // namespace

TEST_F(ConfigBackupTest, RestoreRefusesWhatIsNotAConfigurationAndSaysWhy) {
    fs::create_directory(dir.Path() / "folder.cfg");
    ::mkfifo((dir.Path() / "pipe.cfg").c_str(), 0600);
    const std::string huge = Write("huge.cfg", "");
    fs::resize_file(huge, kMaxXmlInputBytes + 1);
    struct Case {
        std::string path;
        std::string caption;
        std::string says;
    };
    const std::string badName = "Please enter a correct Filename";
    const std::vector<Case> cases = {
        {"", "Please enter a Filename", "You must select the configuration file to restore."},
        {(dir.Path() / "gone.cfg").string(), badName, "does not exist"},
        {(dir.Path() / "folder.cfg").string(), badName, "Unable to open"},
        {huge, badName, "too large"},
        {Write("text.cfg", "apn=internet\n"), badName, "not well-formed XML"},
        {Write("empty.cfg", ""), badName, "not well-formed XML"},
        {(dir.Path() / "pipe.cfg").string(), badName, "not well-formed XML"},
        {Write("dtd.cfg",
               "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">"
               "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><rci_request>&b;</rci_request>"),
         badName, "document type (DTD)"},
        {Write("external.cfg",
               "<!DOCTYPE r SYSTEM \"http://example.invalid/x.dtd\"><rci_request/>"),
         badName, "document type (DTD)"},
        // Well-formed requests that are not a backup would erase or delete.
        {Write("reset.cfg", "<rci_request version='1.1'><set_factory_default/></rci_request>"),
         badName, "not a settings backup"},
        {Write("rm.cfg",
               "<rci_request version='1.1'><do_command target='file_system'>"
               "<rm name='/WEB/python/a.py'/></do_command></rci_request>"),
         badName, "not a settings backup"},
        {Write("two.cfg",
               "<rci_request><set_setting><g><a>1</a></g></set_setting><set_factory_default/>"
               "</rci_request>"),
         badName, "not a settings backup"},
        {Write("inner.cfg",
               "<rci_request><set_setting><set_factory_default/></set_setting>"
               "</rci_request>"),
         badName, "not a settings backup"},
        {Write("other.cfg", "<settings><set_setting><g><a>1</a></g></set_setting></settings>"),
         badName, "not a settings backup"},
    };
    for (const Case& bad : cases) {
        SCOPED_TRACE(bad.path);
        prompter.warnings.clear();
        TypePath(bad.path);
        page.RestoreFromFile();
        ASSERT_EQ(prompter.warnings.size(), 1u);
        EXPECT_EQ(prompter.warnings[0].title, bad.caption);
        EXPECT_NE(prompter.warnings[0].text.find(bad.says), std::string::npos)
            << prompter.warnings[0].text;
    }
    EXPECT_TRUE(runner.scripts.empty()) << "nothing is sent for a refused file";
    // The parser's reason goes into the details, for whoever wants to mend the file.
    TypePath(Write("cut.cfg", "<rci_request version='1.1'>\n<set_setting>"));
    page.RestoreFromFile();
    EXPECT_NE(prompter.warnings.back().details.find("line 2"), std::string::npos)
        << prompter.warnings.back().details;
}

TEST_F(ConfigBackupTest, RestoreUsesThePathInTheBoxTypedOrBrowsed) {
    const std::string typed =
        Write("typed.cfg",
              "<?xml version=\"1.0\"?>\n<rci_request version=\"1.1\"><set_setting>"
              "<g><pw>a\"b</pw></g></set_setting></rci_request>\n");
    TypePath(typed);
    // The settings read back after the restore are broken.
    runner.answer = [](JobList& jobs) {
        for (CommandJob& job : jobs) {
            job.SetResponse("<rci_reply><query_setting>");
            job.SetStatus(CommandJob::kSucceeded);
            job.SetAnswered(true);
        }
    };
    page.RestoreFromFile();
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_EQ(prompter.warnings[0].title, "Configuration not read");
    ASSERT_EQ(runner.scripts.size(), 1u);
    EXPECT_EQ(runner.scripts[0][1].GetCommand(),
              "<rci_request version='1.1'><set_setting><g><pw>a&quot;b</pw></g></set_setting>"
              "</rci_request>");

    const std::string browsed =
        Write("browsed.cfg",
              "<rci_request version='2'><set_setting><g><a/></g></set_setting>"
              "</rci_request>");
    prompter.fileAnswers = {browsed};
    page.Browse();
    EXPECT_EQ(prompter.fileFilters.back(), "*.cfg (*)");
    EXPECT_EQ(page.findChild<QLineEdit*>("restorePath")->text().toStdString(), browsed);
    page.Browse();  // cancelled: the box keeps its path
    EXPECT_EQ(prompter.fileStartPaths, (std::vector<std::string>{typed, browsed}));
    page.RestoreFromFile();
    ASSERT_EQ(runner.scripts.size(), 2u);
    EXPECT_EQ(runner.scripts[1][1].GetCommand(),
              "<rci_request version='2'><set_setting><g><a/></g></set_setting></rci_request>");
    EXPECT_EQ(page.StatusText(), "") << "the settings were not read back";

    // Asked first, Cancel the default; a restore the restarted gateway
    // answered says so, with the time it took.
    prompter.confirmAnswers = {false};
    page.RestoreFromFile();
    EXPECT_EQ(runner.scripts.size(), 2u);
    EXPECT_EQ(prompter.confirmations.back().text,
              "Replace every setting of the R7 with " + browsed + " and restart it?");
    ManualClock clock;
    page.SetClock(clock);
    runner.answer = [&clock](JobList& jobs) {
        clock.Advance(14200);
        for (CommandJob& job : jobs) {
            job.SetResponse(SettingsReply("restored"));
            job.SetStatus(CommandJob::kSucceeded);
            job.SetAnswered(true);
        }
    };
    page.RestoreFromFile();
    EXPECT_EQ(page.StatusText().toStdString(),
              "Settings restored from " + browsed + "; the R7 restarted in 14 s");
}

TEST_F(ConfigBackupTest, RestoreOfAFileNamingItsEncodingKeepsItsDeclaration) {
    TypePath(Write("latin1.cfg",
                   "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<rci_request version=\"1.1\">"
                   "<set_setting><g><name>caf\xe9 \"x\"</name></g></set_setting></rci_request>\n"));
    page.RestoreFromFile();
    ASSERT_EQ(runner.scripts.size(), 1u);
    EXPECT_EQ(runner.scripts[0][1].GetCommand(),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<rci_request version='1.1'>"
              "<set_setting><g><name>caf\xe9 &quot;x&quot;</name></g></set_setting></rci_request>");
}

TEST_F(ConfigBackupTest, BackupWithoutSettingsSaysSoAndWritesNothing) {
    prompter.fileAnswers = {(dir.Path() / "backup.cfg").string()};
    page.Backup();
    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_NE(prompter.warnings[0].text.find("nothing to back up"), std::string::npos);
    EXPECT_TRUE(DirectoryEntries().empty());
}

TEST_F(ConfigBackupTest, BackupReplacesAnOlderOneWholeAndRestoresAsTheSameRequest) {
    model.LoadSettingsReply(SettingsReply("mine"));
    const std::string older = Write("backup.cfg", std::string(5000, 'x'));
    ::chmod(older.c_str(), 0640);
    prompter.fileAnswers = {older};

    page.Backup();

    EXPECT_TRUE(prompter.warnings.empty());
    EXPECT_EQ(page.StatusText().toStdString(), "Backup saved to " + older);
    EXPECT_EQ(prompter.fileFilters.back(), "*.cfg (*.cfg)");
    EXPECT_EQ(ReadFile(older),
              "<?xml version=\"1.0\"?>\n<rci_request version=\"1.1\"><set_setting><mobile_simple>"
              "<apn>mine</apn></mobile_simple></set_setting></rci_request>\n");
    // It holds the APN password and the SIM PIN: its owner's alone, new or not.
    const fs::path fresh = dir.Path() / "fresh.cfg";
    prompter.fileAnswers = {fresh.string()};
    page.Backup();
    for (const fs::path& backup : {fs::path(older), fresh})
        EXPECT_EQ(fs::status(backup).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write)
            << backup;
    std::vector<std::string> entries = DirectoryEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"backup.cfg", "fresh.cfg"}));

    TypePath(older);
    page.RestoreFromFile();
    ASSERT_EQ(runner.scripts.size(), 1u);
    EXPECT_EQ(runner.scripts[0][1].GetCommand(),
              "<rci_request version='1.1'><set_setting><mobile_simple><apn>mine</apn>"
              "</mobile_simple></set_setting></rci_request>");
}

TEST_F(ConfigBackupTest, BackupThatCannotBeWrittenSaysSoAndLeavesNothingBehind) {
    model.LoadSettingsReply(SettingsReply("mine"));
    // A directory in the way: the new file is written, but cannot take its place.
    const fs::path taken = dir.Path() / "taken.cfg";
    fs::create_directories(taken / "inside");
    const std::string missingDirectory = (dir.Path() / "no" / "backup.cfg").string();
    prompter.fileAnswers = {taken.string(), missingDirectory};

    page.Backup();
    page.Backup();

    ASSERT_EQ(prompter.warnings.size(), 2u);
    EXPECT_EQ(prompter.warnings[0].text, "Unable to write the backup file. No backup was made.");
    EXPECT_TRUE(prompter.warnings[0].details.starts_with(taken.string() + ": "))
        << prompter.warnings[0].details;
    EXPECT_TRUE(prompter.warnings[1].details.starts_with(missingDirectory + ": "));
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"taken.cfg"});
}

TEST_F(ConfigBackupTest, BackupOntoAFullDiskKeepsTheOlderOne) {
    model.LoadSettingsReply(SettingsReply("mine"));
    const std::string older = Write("backup.cfg", "older backup");
    TempDir devices;
    const std::string device = MakeFullDevice(devices.Path());
    prompter.fileAnswers = {older, device};
    {
        // Writes past 64 bytes fail as they would on a full disk.
        const FileSizeLimit full(64);
        page.Backup();
    }
    if (!device.empty())
        page.Backup();

    ASSERT_EQ(prompter.warnings.size(), device.empty() ? 1u : 2u);
    EXPECT_EQ(prompter.warnings[0].text, "Unable to write the backup file. No backup was made.");
    EXPECT_EQ(prompter.warnings[0].details, older + ": File too large.");
    EXPECT_EQ(ReadFile(older), "older backup");
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"backup.cfg"});
    if (!device.empty()) {
        EXPECT_EQ(prompter.warnings[1].details, device + ": No space left on device.");
        EXPECT_TRUE(fs::is_character_file(device)) << "a device is written, never replaced";
        EXPECT_EQ(std::distance(fs::directory_iterator(devices.Path()), {}), 1);
    }
}

// Files spoiled the ways a gateway reply can be: refused with the parser's
// reason, nothing sent. A file in Latin-1 that does not say so is read as
// such and restored with a declaration naming it; a 20 MB file is refused
// without being held whole.
TEST_F(ConfigBackupTest, RestoreOfASpoiledFileSendsNothing) {
    const std::string root = "<rci_request version='1.1'><set_setting>";
    const std::string end = "</set_setting></rci_request>";
    std::string deep;
    for (int i = 0; i < 300; ++i)
        deep = "<d>" + deep + "</d>";
    const struct {
        std::string content;
        const char* reason;
    } kSpoiled[] = {
        {root + "</stray>" + end, "Extra content"},
        {root + deep + end, "depth"},
        {root + std::string("\x01\x02\xff\xfe", 4) + end, "(line 1)"},
        {root + "<g>" + end, "(line 1)"},
    };
    for (const auto& [content, reason] : kSpoiled) {
        SCOPED_TRACE(reason);
        prompter.warnings.clear();
        TypePath(Write("spoiled.cfg", content));
        page.RestoreFromFile();
        ASSERT_EQ(prompter.warnings.size(), 1u);
        EXPECT_NE(prompter.warnings[0].text.find("not well-formed XML"), std::string::npos);
        EXPECT_NE(prompter.warnings[0].details.find(reason), std::string::npos)
            << prompter.warnings[0].details;
    }
    const std::string huge = Write("huge.cfg", root + "<!--");
    {
        // Written a megabyte at a time: the test itself holds no 20 MB.
        std::ofstream file(huge, std::ios::binary | std::ios::app);
        for (int i = 0; i < 20; ++i)
            file << std::string(1'000'000, 'x');
        file << "-->" << end;
    }
    TypePath(huge);
    const ResourceUse use;
    page.RestoreFromFile();
    EXPECT_NE(prompter.warnings.back().text.find("too large"), std::string::npos);
    EXPECT_LT(use.PeakGrowthKb(), 4 * 1024) << "refused by its size, not read";
    EXPECT_TRUE(runner.scripts.empty());

    TypePath(Write("latin1.cfg", root + "<g><name>caf\xe9</name></g>" + end));
    page.RestoreFromFile();
    ASSERT_EQ(runner.scripts.size(), 1u);
    EXPECT_EQ(runner.scripts[0][1].GetCommand(),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + root +
                  "<g><name>caf\xe9</name></g>" + end);
}
