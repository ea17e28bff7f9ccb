#include "util/UtilitiesFolder.h"
#include "framework/LException.h"
#include "tests/support/FixturePlatform.h"
#include "util/SharedUtils.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(UtilitiesFolder, CreatedOnceWithPrivateModeThenFound)
{
    FixturePlatform platform;
    std::string folder;
    // Missing and not to be created: the classic file-not-found status, and nothing made.
    EXPECT_EQ(FindUtilitiesFolder(false, folder), fnfErr);
    EXPECT_TRUE(folder.empty());

    ASSERT_EQ(FindUtilitiesFolder(true, folder), 0);
    EXPECT_EQ(folder, platform.ProgramFolder());
    struct stat info { };
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    std::string again;
    EXPECT_EQ(FindUtilitiesFolder(false, again), 0);
    EXPECT_EQ(again, folder);
}

TEST(UtilitiesFolder, GetFolderInfoLeavesTheFolderAloneOnFailure)
{
    TemporaryFolder home;
    std::string folder = home.Path();
    EXPECT_EQ(GetFolderInfo(folder, "missing", false), fnfErr);
    EXPECT_EQ(folder, home.Path());
    TestFiles::Write(home / "plain", "not a folder");
    EXPECT_NE(GetFolderInfo(folder, "plain", true), 0);
    EXPECT_NE(GetFolderInfo(folder, "..", true), 0);
    EXPECT_NE(GetFolderInfo(folder, "a/b", true), 0);
    EXPECT_EQ(folder, home.Path());
    EXPECT_EQ(GetFolderInfo(folder, "made", true), 0);
    EXPECT_EQ(folder, home / "made");
}

TEST(UtilitiesFolder, ModelNameAndProcessorCount)
{
    FixturePlatform platform("MacPro1,1");
    Str255 model;
    EXPECT_EQ(SharedUtils_GetMacName(&model), 0);
    EXPECT_EQ(Str255ToString(model), "MacPro1,1");
    EXPECT_EQ(SharedUtils_GetMacName(nullptr), 0);
    EXPECT_EQ(SharedUtils_ProcessorCount(), 2u);
}
