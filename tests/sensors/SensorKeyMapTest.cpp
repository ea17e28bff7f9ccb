// Which index and name each sensor gets, and the map kept in the settings file.
#include "sensors/SensorKeyMap.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

namespace {

SensorDescription Found(const std::string& key, const std::string& name)
{
    SensorDescription found;
    found.key = key;
    found.name = name;
    return found;
}

using Identities = std::vector<std::tuple<std::string, int, std::string>>;

Identities Of(const std::vector<SensorIdentity>& identities)
{
    Identities list;
    for (const SensorIdentity& identity : identities)
        list.emplace_back(identity.key, identity.index, identity.name);
    return list;
}

}

TEST(SensorKeyMap, KnownKeysKeepTheirIndexAndNewOnesTakeTheirFileOrTheLowestFreeIndex)
{
    const struct {
        const char* name;
        Identities known;
        std::vector<std::string> files;
        std::vector<SensorDescription> found;
        Identities assigned;
    } cases[] = {
        { "a first run numbers the sensors in discovery order", {}, {},
            { Found("a", "acpitz temp1"), Found("b", "nvme Composite") },
            { { "a", 1, "acpitz temp1" }, { "b", 2, "nvme Composite" } } },
        { "the first start with a map takes each history from the file its name gave it", {},
            { "01 acpitz temp1", "02 nvme Composite", "03 coretemp Core 0" },
            { Found("c", "coretemp Core 0"), Found("a", "acpitz temp1") },
            { { "c", 3, "coretemp Core 0" }, { "a", 1, "acpitz temp1" } } },
        // Regression: a GPU whose device sorts first gave every later sensor a new index and a new data file.
        { "new hardware that sorts first takes the lowest free index, the others keep theirs",
            { { "a", 1, "acpitz temp1" }, { "b", 2, "nvme Composite" } }, { "01 acpitz temp1", "02 nvme Composite" },
            { Found("gpu", "amdgpu edge"), Found("a", "acpitz temp1"), Found("b", "nvme Composite") },
            { { "gpu", 3, "amdgpu edge" }, { "a", 1, "acpitz temp1" }, { "b", 2, "nvme Composite" } } },
        { "a second identical drive that sorts first is a new sensor with a name of its own",
            { { "drive1", 4, "nvme Composite" } }, { "04 nvme Composite" },
            { Found("drive2", "nvme Composite"), Found("drive1", "nvme Composite 2") },
            { { "drive2", 1, "nvme Composite 2" }, { "drive1", 4, "nvme Composite" } } },
        { "an absent sensor keeps its index, its file's index and its name", { { "gone", 1, "Drive" } },
            { "01 Drive", "02 Board" }, { Found("new", "Drive") }, { { "new", 3, "Drive 2" } } },
        { "two files of the name: neither is taken", {}, { "01 Board", "05 Board" }, { Found("b", "Board") },
            { { "b", 2, "Board" } } },
        { "a file whose index is known belongs to that sensor", { { "x", 1, "Other" } }, { "01 Board" },
            { Found("b", "Board") }, { { "b", 2, "Board" } } },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        TemporaryFolder folder;
        SensorKeyMap map;
        if (!row.known.empty()) {
            // Known keys come from the file, as at a launch.
            std::string text = "[Sensors]\n";
            int n = 0;
            for (const auto& [key, index, name] : row.known) {
                ++n;
                text += std::to_string(n) + "\\index=" + std::to_string(index) + "\n" + std::to_string(n)
                    + "\\key=" + key + "\n" + std::to_string(n) + "\\name=" + name + "\n";
            }
            TestFiles::Write(folder / "settings.ini", text + "size=" + std::to_string(n) + "\n");
            map.Load(folder / "settings.ini");
        }
        EXPECT_EQ(Of(map.Assign(row.found, row.files)), row.assigned);
        // The map comes back from its file as it was, new sensors included.
        ASSERT_TRUE(map.Save(folder / "settings.ini"));
        SensorKeyMap again;
        again.Load(folder / "settings.ini");
        EXPECT_EQ(Of(again.Known()), Of(map.Known()));
    }
}

// Keys and names are bytes as the kernel gave them; entries that make no sense are left out.
TEST(SensorKeyMap, OddBytesComeBackAndNonsenseIsLeftOut)
{
    TemporaryFolder folder;
    std::string path = folder / "Kelvara Settings.ini";
    TestFiles::Write(path, "[Notifications]\nWarnAtLimits=false\n");
    SensorKeyMap map;
    map.Assign(
        { Found("hwmon:/sys/devices/x:drv:temp1", "drv Caf\xE9 \xFF"), Found("k=2;\"", " spaced, quoted\" ") }, {});
    ASSERT_TRUE(map.Save(path));
    SensorKeyMap again;
    again.Load(path);
    EXPECT_EQ(Of(again.Known()), Of(map.Known()));
    std::vector<uint8_t> bytes = TestFiles::ReadBytes(path);
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("WarnAtLimits=false"), std::string::npos)
        << "the other settings stay";

    TestFiles::Write(path,
        "[Sensors]\n1\\index=0\n1\\key=a\n2\\index=x\n2\\key=b\n3\\index=3\n3\\key=\n4\\index=4\n4\\key=c\n5\\index=4\n"
        "5\\key=d\n6\\index=6\n6\\key=c\nsize=6\n");
    testing::internal::CaptureStderr();
    again.Load(path);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Of(again.Known()), (Identities { { "c", 4, "" } }));
    EXPECT_NE(message.find("number 6"), std::string::npos) << message;
}

// A name the user gave comes back as one line of at most 255 bytes; one a damaged file holds is cleaned and
// named on standard error.
TEST(SensorKeyMap, GivenNamesComeBackAsOneLine)
{
    const struct {
        const char* name;
        std::string stored; // as the file holds it
        std::string given;
        bool message;
    } cases[] = {
        { "a name", "Backup drive", "Backup drive", false },
        { "line breaks and tabs become spaces", "Backup\\ndrive\\t2", "Backup drive 2", true },
        { "the hardware's name is none of the user's", "nvme Composite", "", false },
        { "a name too long is cut at a character", std::string(254, 'x') + "\xC3\xA9", std::string(254, 'x'), true },
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        TemporaryFolder folder;
        std::string path = folder / "settings.ini";
        TestFiles::Write(path,
            "[Sensors]\n1\\index=1\n1\\key=a\n1\\name=nvme Composite\n1\\givenName=" + each.stored + "\nsize=1\n");
        SensorKeyMap map;
        testing::internal::CaptureStderr();
        map.Load(path);
        EXPECT_EQ(testing::internal::GetCapturedStderr().empty(), !each.message);
        ASSERT_EQ(map.Known().size(), 1u);
        EXPECT_EQ(map.Known()[0].givenName, each.given);
    }
}
