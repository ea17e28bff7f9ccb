#include "platform/AutostartEntry.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

TEST(AutostartEntry, WrittenAndRemovedAndItsStateIsTheEntry)
{
    const struct {
        const char* name;
        std::string existing; // the entry before, or empty for none
        bool enable; // Enable (true) or Disable (false)
        std::string program;
        std::string exec; // the Exec line written, or empty when the entry is gone after
    } cases[] = {
        { "written with the program's path", "", true, "/usr/bin/kelvara", "Exec=/usr/bin/kelvara" },
        { "a path with spaces, a dollar and a percent is quoted", "", true, "/home/ann/My Apps/$kel%vara",
            "Exec=\"/home/ann/My Apps/\\\\$kel%%vara\"" },
        { "an entry turned off in the desktop's settings is written afresh",
            "[Desktop Entry]\nExec=kelvara\nHidden=true\n", true, "/usr/bin/kelvara", "Exec=/usr/bin/kelvara" },
        { "removed", "[Desktop Entry]\nExec=kelvara\n", false, "", "" },
        { "removing what is not there is no failure", "", false, "", "" },
    };
    for (const auto& each : cases) {
        TemporaryFolder home;
        // The configuration folder itself may be missing on a new account.
        AutostartEntry entry(home / "config");
        if (!each.existing.empty())
            TestFiles::Write(entry.GetPath(), each.existing);
        EXPECT_EQ(entry.IsEnabled(), !each.existing.empty() && each.existing.find("Hidden") == std::string::npos)
            << each.name;

        EXPECT_TRUE(each.enable ? entry.Enable(each.program) : entry.Disable()) << each.name;
        EXPECT_EQ(entry.IsEnabled(), each.enable) << each.name;
        EXPECT_EQ(TestFiles::Exists(home / "config/autostart/kelvara.desktop"), each.enable) << each.name;
        if (each.enable) {
            std::vector<uint8_t> bytes = TestFiles::ReadBytes(entry.GetPath());
            std::string text(bytes.begin(), bytes.end());
            EXPECT_EQ(text, AutostartEntry::MakeEntryText(each.program)) << each.name;
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
    EXPECT_FALSE(entry.IsEnabled());
}
