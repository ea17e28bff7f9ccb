#include "platform/Clock.h"
#include "platform/UserFolders.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

TEST(Clock, DatesCountFrom1904InLocalTime)
{
    // 1970-01-01 00:00 UTC is 2082844800 seconds after 1904-01-01.
    EXPECT_EQ(LinuxClock::DateTimeFromUnix(0, 0), 2082844800u);
    // One hour east of UTC the local clock is an hour later.
    EXPECT_EQ(LinuxClock::DateTimeFromUnix(0, 3600), 2082848400u);
    // The 32-bit date wraps in 2040; it stays an unsigned count.
    EXPECT_EQ(LinuxClock::DateTimeFromUnix(2212122496, 0), 0u);
}

TEST(UserFolders, PreferencesFolderFollowsXdgConfigHome)
{
    std::map<std::string, std::string> environment;
    LinuxUserFolders folders([&](const char* name) -> const char* {
        auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    });
    environment["HOME"] = "/home/ada";
    EXPECT_EQ(folders.PreferencesFolder(), "/home/ada/.config");
    environment["XDG_CONFIG_HOME"] = "/tmp/config";
    EXPECT_EQ(folders.PreferencesFolder(), "/tmp/config");
    // A relative XDG_CONFIG_HOME is ignored, as the base-directory rules say.
    environment["XDG_CONFIG_HOME"] = "relative/config";
    EXPECT_EQ(folders.PreferencesFolder(), "/home/ada/.config");
}
