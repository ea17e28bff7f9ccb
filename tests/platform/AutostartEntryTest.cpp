#include "platform/AutostartEntry.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

TEST(AutostartEntry, WrittenAndRemovedAndItsStateIsTheEntry)
{
    const struct {
        const char* name;
        std::string existing, program; // the entry before, and the program to start (none: Disable)
        std::string exec; // the Exec line written
    } cases[] = {
        { "written with the program's path", "", "/usr/bin/kelvara", "Exec=/usr/bin/kelvara" },
        { "a path with spaces, a dollar and a percent is quoted", "", "/home/ann/My Apps/$kel%vara",
            "Exec=\"/home/ann/My Apps/\\\\$kel%%vara\"" },
        { "an entry turned off in the desktop's settings is written afresh",
            "[Desktop Entry]\nExec=kelvara\nHidden=true\n", "/usr/bin/kelvara", "Exec=/usr/bin/kelvara" },
        { "removed", "[Desktop Entry]\nExec=kelvara\n", "", "" },
        { "removing what is not there is no failure", "", "", "" },
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        TemporaryFolder home;
        AutostartEntry entry(home / "config"); // the folder itself may be missing on a new account
        if (!each.existing.empty())
            TestFiles::Write(entry.GetPath(), each.existing);
        EXPECT_EQ(entry.IsEnabled(), !each.existing.empty() && each.existing.find("Hidden") == std::string::npos);
        const bool enable = !each.program.empty();
        EXPECT_TRUE(enable ? entry.Enable(each.program) : entry.Disable());
        EXPECT_EQ(entry.IsEnabled(), enable);
        EXPECT_EQ(TestFiles::Exists(home / "config/autostart/kelvara.desktop"), enable);
        if (enable) {
            std::vector<uint8_t> bytes = TestFiles::ReadBytes(entry.GetPath());
            std::string text(bytes.begin(), bytes.end());
            EXPECT_EQ(text.rfind("[Desktop Entry]\nType=Application\nName=Kelvara\n", 0), 0u) << text;
            EXPECT_NE(text.find("\n" + each.exec + "\n"), std::string::npos) << text;
        }
    }
}

TEST(AutostartEntry, AnEntryThatCannotBeWrittenIsSaid)
{
    TemporaryFolder home;
    TestFiles::Write(home / "config", "a file where the folder should be");
    AutostartEntry entry(home / "config");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(entry.Enable("/usr/bin/kelvara"));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot write the autostart entry"), std::string::npos) << said;
}
