#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "model/FileDigest.h"
#include "model/RequestDocuments.h"
#include "tests/link/TempDir.h"
#include "tests/support/SimGateway.h"
#include "tests/support/WorkerScriptRunner.h"
#include "tests/support/WorkerUploadRunner.h"
#include "tests/ui/FakePrompter.h"
#include "transfer/PythonFiles.h"
#include "transfer/VerifiedUpload.h"

namespace {

namespace fs = std::filesystem;

const std::string kLongName = "tank_level_logger.py";  // 20 characters
const std::string kBlankName = "my program.py";
const std::string kQuotedName = "say\"hi\".py";

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), {});
}

// The gateway's /WEB/python holds awkward names; its other data is the default.
struct GatewayFiles {
    GatewayFiles() {
        const fs::path python = config.Path() / "fs" / "WEB" / "python";
        fs::create_directories(python);
        Put(python / "blink.py", "import time\r\nwhile True:\n    time.sleep(1)\n");
        std::string logger;
        for (int i = 0; logger.size() < 5000; ++i)
            logger += "log(" + std::to_string(i) + ")\n" + char(i % 256);
        Put(python / kLongName, logger);
        Put(python / kBlankName, "print('blank')\n");
        Put(python / "empty.py", "");
        Put(python / kQuotedName, "print('quoted')\n");
    }
    void Put(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
        contents[path.filename().string()] = bytes;
    }
    TempDir config;
    std::map<std::string, std::string> contents;
};

struct PythonFilesTest : testing::Test {
    explicit PythonFilesTest(std::vector<std::string> extra = {})
        : gateway(Args(extra)),
          port(Clock::System()),
          runner(port),
          uploader(port, Clock::System()) {
        DiscoveryOptions options;
        options.explicitPort = gateway.LinkPath();
        std::string reason;
        opened = DiscoverPort(port, options, {}, &reason);
    }

    std::vector<std::string> Args(std::vector<std::string> extra) {
        extra.insert(extra.end(), {"--config", files.config.Path().string()});
        return extra;
    }

    GatewayFile Listed(const std::string& name) {
        for (const GatewayFile& file : ListPythonFiles(runner).value_or(std::vector<GatewayFile>{}))
            if (file.name == name)
                return file;
        ADD_FAILURE() << name << " not listed";
        return {};
    }

    GatewayFiles files;
    SimGateway gateway;
    ModemPort port;
    WorkerScriptRunner runner;
    WorkerUploadRunner uploader;
    FakePrompter prompter;
    TempDir local;
    bool opened = false;
};

bool Contains(const std::vector<std::string>& commands, const std::string& command) {
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

}  // namespace

TEST_F(PythonFilesTest, ListKeepsFullNamesAndLinesLineUp) {
    ASSERT_TRUE(opened);
    const std::vector<GatewayFile> listed =
        ListPythonFiles(runner).value_or(std::vector<GatewayFile>{});
    ASSERT_EQ(listed.size(), 5u);
    EXPECT_EQ(gateway.ReceivedCommands(),
              (std::vector<std::string>{"at&usbinterface=22\r\n", std::string(kListPythonFiles)}));
    const std::size_t width = NameColumnWidth(listed);
    EXPECT_EQ(width, 20u);
    for (const GatewayFile& file : listed) {
        EXPECT_EQ(file.size, std::to_string(files.contents.at(file.name).size()));
        const std::string line = FormatFileLine(file, width);
        EXPECT_EQ(line.substr(0, file.name.size()), file.name);
        EXPECT_EQ(line.substr(24, file.size.size()), file.size);
    }
    EXPECT_EQ(FormatFileLine({"blink.py", "45"}, 12), "blink.py        45      ");
}

TEST_F(PythonFilesTest, DownloadsByFullNameWithLineBreakedAndEmptyData) {
    ASSERT_TRUE(opened);
    const std::vector<GatewayFile> chosen = {Listed(kLongName), Listed(kBlankName),
                                             Listed("empty.py")};
    for (const GatewayFile& file : chosen)
        prompter.fileAnswers.push_back((local.Path() / ("copy of " + file.name)).string());

    DownloadPythonFiles(runner, prompter, chosen);

    EXPECT_TRUE(prompter.retryQuestions.empty());
    EXPECT_TRUE(prompter.warnings.empty());
    const std::vector<std::string> commands = gateway.ReceivedCommands();
    for (const GatewayFile& file : chosen) {
        EXPECT_EQ(ReadFile((local.Path() / ("copy of " + file.name)).string()),
                  files.contents.at(file.name));
        EXPECT_TRUE(Contains(commands, FillFileName(kReadPythonFile, file.name))) << file.name;
        EXPECT_TRUE(Contains(commands, "at&usbinterface=41,\"/WEB/python/" + file.name + "\"\r\n"));
    }
}

TEST_F(PythonFilesTest, UnwritableLocationIsReportedAndAskedAgain) {
    ASSERT_TRUE(opened);
    const GatewayFile blink = Listed("blink.py");
    const std::string nowhere = (local.Path() / "missing" / "blink.py").string();
    const std::string good = (local.Path() / "blink.py").string();
    prompter.fileAnswers = {nowhere, good};
    const std::size_t before = gateway.ReceivedCommands().size();

    DownloadPythonFiles(runner, prompter, {blink});

    ASSERT_EQ(prompter.warnings.size(), 1u);
    EXPECT_TRUE(prompter.warnings[0].text.starts_with("Unable to write " + nowhere + ".\n"));
    EXPECT_NE(prompter.warnings[0].text.find("No such file"), std::string::npos);
    EXPECT_EQ(ReadFile(good), files.contents.at("blink.py"));
    // Fetched twice: each attempt is the three-job batch.
    EXPECT_EQ(gateway.ReceivedCommands().size() - before, 6u);
}

TEST_F(PythonFilesTest, DeletesByFullNameAndReloads) {
    ASSERT_TRUE(opened);
    const std::vector<GatewayFile> remaining =
        DeletePythonFiles(runner, prompter, {Listed(kLongName), Listed(kBlankName)}).value();

    const std::vector<std::string> commands = gateway.ReceivedCommands();
    const std::vector<std::string> tail(commands.end() - 4, commands.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{InlineCommand(FillFileName(kDeletePythonFile, kLongName)),
                                        InlineCommand(FillFileName(kDeletePythonFile, kBlankName)),
                                        "at&usbinterface=22\r\n", std::string(kListPythonFiles)}));
    ASSERT_EQ(remaining.size(), 3u);
    for (const GatewayFile& file : remaining)
        EXPECT_TRUE(file.name != kLongName && file.name != kBlankName);

    const std::size_t before = gateway.ReceivedCommands().size();
    EXPECT_EQ(DeletePythonFiles(runner, prompter, {})->size(), 3u);
    EXPECT_EQ(gateway.ReceivedCommands().size() - before, 2u);
}

TEST_F(PythonFilesTest, NamesThatCannotTravelAreRefusedBeforeSending) {
    ASSERT_TRUE(opened);
    const GatewayFile quoted = Listed(kQuotedName);
    const std::size_t before = gateway.ReceivedCommands().size();

    DownloadPythonFiles(runner, prompter, {quoted});
    EXPECT_EQ(DeletePythonFiles(runner, prompter, {quoted})->size(), 5u);
    std::ofstream((local.Path() / "bad\nname.py").string()) << "x";
    EXPECT_FALSE(
        UploadPythonProgram(runner, uploader, prompter, (local.Path() / "bad\nname.py").string())
            .files);
    EXPECT_FALSE(
        UploadPythonProgram(runner, uploader, prompter, (local.Path() / "missing.py").string())
            .files);
    EXPECT_FALSE(UploadPythonProgram(runner, uploader, prompter, "").files);

    // Only the list after the refused delete went out.
    EXPECT_EQ(gateway.ReceivedCommands().size() - before, 2u);
    ASSERT_EQ(prompter.warnings.size(), 5u);
    EXPECT_NE(prompter.warnings[0].text.find("double quote"), std::string::npos);
    EXPECT_NE(prompter.warnings[2].text.find("line break"), std::string::npos);
    EXPECT_EQ(prompter.warnings[2].title, "Please enter a correct Filename");
    EXPECT_EQ(prompter.warnings[3].title, "Please enter a correct Filename");
    EXPECT_EQ(prompter.warnings[3].text, "Unable to open the python file to send.");
    EXPECT_EQ(prompter.warnings[4].title, "Please enter a Filename");
    EXPECT_EQ(prompter.warnings[4].text, "You must select the python file to send.");
}

struct WrongDigestTest : PythonFilesTest {
    WrongDigestTest() : PythonFilesTest({"--wrong-digest", "1"}) {}
};

TEST_F(WrongDigestTest, UploadRetriedAfterAWrongDigestThenListed) {
    ASSERT_TRUE(opened);
    const std::string path = (local.Path() / "new_program.py").string();
    std::ofstream(path) << "print('new')\n";
    prompter.retryAnswers = {true};

    const PythonUploadResult result = UploadPythonProgram(runner, uploader, prompter, path);

    EXPECT_TRUE(result.verified);
    ASSERT_EQ(prompter.retryQuestions.size(), 1u);
    EXPECT_EQ(prompter.retryQuestions[0].text, "The file " + path + " did not correctly transfer.");
    EXPECT_EQ(prompter.retryQuestions[0].kind, MessageKind::Error);
    EXPECT_EQ(uploader.Outcomes().size(), 2u);
    ASSERT_TRUE(result.files);
    EXPECT_EQ(result.files->size(), 6u);
    const std::vector<std::string> commands = gateway.ReceivedCommands();
    EXPECT_EQ(commands.back(), std::string(kListPythonFiles));
    EXPECT_EQ(commands[commands.size() - 3],
              "at&usbinterface=41,\"/WEB/python/new_program.py\"\r\n");
}

TEST_F(WrongDigestTest, CancelAfterAWrongDigestStillRefreshesTheList) {
    ASSERT_TRUE(opened);
    const std::string path = (local.Path() / "new_program.py").string();
    std::ofstream(path) << "print('new')\n";

    const PythonUploadResult result = UploadPythonProgram(runner, uploader, prompter, path);

    EXPECT_FALSE(result.verified);
    EXPECT_EQ(prompter.retryQuestions.size(), 1u);
    EXPECT_EQ(uploader.Outcomes().size(), 1u);
    ASSERT_TRUE(result.files);
    EXPECT_EQ(result.files->size(), 6u);
}
