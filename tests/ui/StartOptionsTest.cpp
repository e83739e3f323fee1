#include <gtest/gtest.h>

#include "app/StartOptions.h"

namespace {

StartOptions Parse(const std::vector<std::string>& arguments, bool expectValid = true) {
    StartOptions options;
    std::string error;
    EXPECT_EQ(ParseCommandLine(arguments, options, &error), expectValid);
    EXPECT_EQ(error.empty(), expectValid);
    return options;
}

}  // namespace

TEST(StartOptions, DebugSwitchIsACaseSensitiveSubstring) {
    EXPECT_FALSE(Parse({}).debugLog);
    EXPECT_TRUE(Parse({"/debug"}).debugLog);
    EXPECT_TRUE(Parse({"-x", "foo/debugging"}).debugLog);
    EXPECT_FALSE(Parse({"/DEBUG"}).debugLog);
    EXPECT_EQ(Parse({}).logPath, "command.log");
}

TEST(StartOptions, PortOptionNamesTheDeviceWithoutTurningOnTheLog) {
    const StartOptions separate = Parse({"--port", "/tmp/debug/r7"});
    EXPECT_EQ(separate.discovery.explicitPort, "/tmp/debug/r7");
    EXPECT_FALSE(separate.debugLog);
    EXPECT_EQ(Parse({"/debug", "--port=/dev/ttyACM2"}).discovery.explicitPort, "/dev/ttyACM2");
    EXPECT_TRUE(Parse({"--port"}, false).discovery.explicitPort.empty());
}

TEST(StartOptions, HelpAndVersionAreAskedForOnlyByTheirOwnArguments) {
    EXPECT_TRUE(Parse({"--help"}).showHelp);
    EXPECT_TRUE(Parse({"/debug", "-h"}).showHelp);
    EXPECT_TRUE(Parse({"--version"}).showVersion);
    const StartOptions port = Parse({"--port", "--help"});
    EXPECT_FALSE(port.showHelp);
    EXPECT_EQ(port.discovery.explicitPort, "--help");
    EXPECT_FALSE(Parse({"--helpful", "--version=2"}).showHelp);
    EXPECT_FALSE(Parse({"--version=2"}).showVersion);
}
