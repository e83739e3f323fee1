#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "model/FileDigest.h"
#include "tests/support/SimGateway.h"
#include "tests/support/WorkerScriptRunner.h"
#include "tests/support/WorkerUploadRunner.h"
#include "tests/ui/FakePrompter.h"
#include "transfer/VerifiedUpload.h"

namespace {

// Uploads through the real link to the simulated gateway. The pacing pause is
// real (50 ms a block), so the gateway reads each block as it was written.
struct Upload {
    explicit Upload(const SimGateway& gateway)
        : port(Clock::System()), uploader(port, Clock::System()), runner(port) {
        DiscoveryOptions options;
        options.explicitPort = gateway.LinkPath();
        std::string reason;
        opened = DiscoverPort(port, options, {}, &reason);
    }

    std::string File(const SimGateway& gateway, const std::string& name, std::size_t size) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>("AT\r\nOK\r\n<x>\0"[i % 12]);
        const std::string path = gateway.Directory() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    ModemPort port;
    WorkerUploadRunner uploader;
    WorkerScriptRunner runner;
    bool opened = false;
};

std::vector<std::string> Series(std::size_t length, const std::string& remote) {
    const std::string size = std::to_string(length);
    return {"AT&USBINTERFACE=17," + size + "\r\n", "AT&USBINTERFACE=3," + size + "\r\n",
            "AT&USBINTERFACE=16,\"" + remote + "\"\r\n", "AT&USBINTERFACE=9," + remote + "\r\n",
            "AT&USBINTERFACE=5\r\n"};
}

std::string Data(const SimGateway& gateway) {
    std::string data;
    for (const SimRecord& record : gateway.Records())
        if (record.kind == "data")
            data += record.bytes;
    return data;
}

}  // namespace

TEST(UploadEndToEnd, SeriesDataAndClosingCommandReachTheGatewayByteForByte) {
    SimGateway gateway;
    Upload upload(gateway);
    ASSERT_TRUE(upload.opened);
    const std::string path = upload.File(gateway, "blink.py", 3000);

    EXPECT_EQ(upload.uploader.Upload(path, UploadTarget::PythonProgram), UploadOutcome::Sent);

    std::vector<std::string> expected = Series(3000, "/WEB/python/blink.py");
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    expected.push_back(bytes.substr(0, 1024));
    expected.push_back(bytes.substr(1024, 1024));
    expected.push_back(bytes.substr(2048));
    expected.push_back("AT&USBINTERFACE=18,3000\r\n");
    EXPECT_EQ(gateway.ReceivedCommands(), expected);
    EXPECT_EQ(upload.uploader.Range(), 7);
    EXPECT_EQ(upload.uploader.Steps(), 3);
    FakePrompter prompter;
    EXPECT_EQ(RunVerifiedUpload(upload.runner, upload.uploader, prompter, path,
                                UploadTarget::PythonProgram, "x"),
              UploadVerdict::Verified);
}

TEST(UploadEndToEnd, EmptyAndBlockSizedFilesArriveWhole) {
    SimGateway gateway;
    Upload upload(gateway);
    ASSERT_TRUE(upload.opened);
    std::string all;
    for (const std::size_t size : {0u, 1024u, 1025u}) {
        const std::string path = upload.File(gateway, "f" + std::to_string(size), size);
        EXPECT_EQ(upload.uploader.Upload(path, UploadTarget::RadioFile), UploadOutcome::Sent);
        std::ifstream file(path, std::ios::binary);
        all += std::string((std::istreambuf_iterator<char>(file)), {});
        EXPECT_EQ(gateway.ReceivedCommands().back(),
                  "AT&USBINTERFACE=18," + std::to_string(size) + "\r\n");
        JobList query{{DigestQueryCommand("/WEB/mesh/f" + std::to_string(size)), "", 2000}};
        upload.runner.Run(query);
        EXPECT_EQ(GatewayDigest(query[0].GetResponse()), DigestFile(path));
    }
    EXPECT_EQ(Data(gateway), all);
    EXPECT_EQ(upload.uploader.Steps(), 2);
}

TEST(UploadEndToEnd, ErrorAtTheThirdStepStopsTheSeries) {
    SimGateway gateway({"--error-on", "=16,"});
    Upload upload(gateway);
    ASSERT_TRUE(upload.opened);
    const std::string path = upload.File(gateway, "blink.py", 3000);

    EXPECT_EQ(upload.uploader.Upload(path, UploadTarget::PythonProgram), UploadOutcome::Refused);

    std::vector<std::string> expected = Series(3000, "/WEB/python/blink.py");
    expected.resize(3);
    EXPECT_EQ(gateway.ReceivedCommands(), expected);
    EXPECT_EQ(upload.uploader.Range(), -1);
}

TEST(UploadEndToEnd, UnreadableFileSendsNothing) {
    SimGateway gateway;
    Upload upload(gateway);
    ASSERT_TRUE(upload.opened);
    EXPECT_EQ(
        upload.uploader.Upload(gateway.Directory() + "/missing.py", UploadTarget::PythonProgram),
        UploadOutcome::NotSent);
    EXPECT_EQ(gateway.ReceivedBytes(), "");
}

TEST(UploadEndToEnd, WrongDigestThenRetryUploadsAgainAfterRemoval) {
    SimGateway gateway({"--wrong-digest", "1"});
    Upload upload(gateway);
    ASSERT_TRUE(upload.opened);
    const std::string path = upload.File(gateway, "updatefw.bin", 2100);
    FakePrompter prompter;
    prompter.retryAnswers = {true};

    EXPECT_EQ(RunVerifiedUpload(upload.runner, upload.uploader, prompter, path,
                                UploadTarget::FirmwareImage, "x"),
              UploadVerdict::Verified);

    ASSERT_EQ(prompter.retryQuestions.size(), 1u);
    const std::vector<std::string> commands = gateway.ReceivedCommands();
    const std::vector<std::string> series = Series(2100, "/fw/updatefw.dwl");
    std::size_t removals = 0;
    std::size_t announcements = 0;
    for (const std::string& command : commands) {
        removals += command == RemovalCommand(path, UploadTarget::FirmwareImage);
        announcements += command == series[0];
    }
    EXPECT_EQ(removals, 1u);
    EXPECT_EQ(announcements, 2u);
    EXPECT_EQ(commands.back(), "at&usbinterface=41,\"/fw/updatefw.dwl\"\r\n");
}
