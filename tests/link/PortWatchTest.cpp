#include <gtest/gtest.h>

#include <filesystem>

#include "link/Clock.h"
#include "link/PortWatch.h"
#include "tests/link/TempDir.h"

// The by-id directory goes with the last USB serial device and comes back
// with the next one: the watch must follow it to see the link appear.
TEST(PortWatch, FollowsADirectoryThatVanishesAndComesBack) {
    TempDir dir;
    const std::filesystem::path byId = dir.Path() / "serial" / "by-id";
    std::filesystem::create_directories(byId);
    PortWatch watch((byId / "usb-R7-if00").string());
    ASSERT_TRUE(watch.Active());
    Clock& clock = Clock::System();
    EXPECT_FALSE(watch.Wait(clock, 0));

    std::filesystem::remove(byId);
    EXPECT_TRUE(watch.Wait(clock, 1000));
    std::filesystem::create_directory(byId);
    EXPECT_TRUE(watch.Wait(clock, 1000));
    std::filesystem::create_symlink("/dev/null", byId / "usb-R7-if00");
    EXPECT_TRUE(watch.Wait(clock, 1000)) << "the link in the directory that came back";
    std::filesystem::remove(byId / "usb-R7-if00");
    EXPECT_TRUE(watch.Wait(clock, 1000));
}
