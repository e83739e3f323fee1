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
    EXPECT_TRUE(Parse({"foo/debugging"}).debugLog);
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
}

// Anything else is a mistake the user must hear of, not a switch silently
// ignored; the toolkit's own options pass with their values.
TEST(StartOptions, UnknownArgumentsAndOptionsWithoutTheirValueAreRefused) {
    for (const std::vector<std::string>& line :
         std::vector<std::vector<std::string>>{{"--helpful"},
                                               {"--version=2"},
                                               {"-x", "/debug"},
                                               {"/DEBUG"},
                                               {"ttyACM0"},
                                               {"--port="},
                                               {"/debug", "-platform"},
                                               {"--debug"}})
        Parse(line, false);
    EXPECT_EQ(Parse({"-platform", "offscreen", "--port", "/dev/r7"}).discovery.explicitPort,
              "/dev/r7");
    EXPECT_FALSE(Parse({"-style", "fusion"}).debugLog);
    for (const std::vector<std::string>& line : std::vector<std::vector<std::string>>{
             {"-session", "abc"},
             {"--session", "abc", "-reverse"},
             {"-style=fusion", "-qmljsdebugger=port:3768"},
             {"-plugin", "evdevtouch", "-qwindowicon", "r7.png", "-display", ":1"}})
        EXPECT_TRUE(Parse(line).discovery.explicitPort.empty());
    Parse({"-session"}, false);
    Parse({"-style="}, false);
}
