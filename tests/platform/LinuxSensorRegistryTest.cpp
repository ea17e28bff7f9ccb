#include "platform/LinuxSensorRegistry.h"

#include "tests/support/SysfsFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct Listed {
    std::string location;
    SensorRegistry::EntryID entry;
};

// The channel entries after the platform entry, by location.
std::vector<Listed> Sensors(SensorRegistry& registry)
{
    std::vector<SensorRegistry::EntryID> entries;
    EXPECT_TRUE(registry.IterateEntries(entries));
    std::vector<Listed> sensors;
    for (size_t i = 1; i < entries.size(); ++i)
        sensors.push_back({ registry.GetStringProperty(entries[i], "location").value_or("?"), entries[i] });
    return sensors;
}

std::vector<std::string> Locations(SensorRegistry& registry)
{
    std::vector<std::string> locations;
    for (const auto& sensor : Sensors(registry))
        locations.push_back(sensor.location);
    return locations;
}

SensorRegistry::EntryID Find(SensorRegistry& registry, const std::string& location)
{
    for (const auto& sensor : Sensors(registry)) {
        if (sensor.location == location)
            return sensor.entry;
    }
    ADD_FAILURE() << "no sensor " << location;
    return 0;
}

int32_t Fixed16(double celsius)
{
    return static_cast<int32_t>(celsius * 65536);
}

bool IsWholeUtf8(const std::string& text)
{
    size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        i += length;
    }
    return true;
}

// The same three chips in whatever hwmon numbers the drivers got at this boot.
void AddThreeChips(SysfsFixture& tree, int coretemp, int nvme, int acpitz)
{
    tree.AddChip(coretemp)
        .Name("coretemp")
        .Device("platform/coretemp.0")
        .Temp(1, 50000, "Package id 0")
        .Temp(2, 41000, "Core 0")
        .Temp(10, 43000, "Core 8")
        .Temp(3, 42000, "Core 1");
    tree.AddChip(nvme).Name("nvme").Device("pci0000:00/0000:00:1d.0/nvme/nvme0").Temp(1, 35000, "Composite");
    tree.AddChip(acpitz).Name("acpitz").Device("LNXSYSTM:00/LNXSYBUS:01/LNXTHERM:00").Temp(1, 27800);
}

}

TEST(LinuxSensorRegistry, PlatformEntryComesFirstAndChannelsAreTemperatureSensors)
{
    SysfsFixture tree;
    tree.SetProductName("MacPro1,1  \n");
    tree.AddChip(0).Name("acpitz").Temp(1, 27800);

    LinuxSensorRegistry registry(tree.Root());
    std::vector<SensorRegistry::EntryID> entries;
    ASSERT_TRUE(registry.IterateEntries(entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(registry.GetName(entries[0]), "MacPro1,1");
    EXPECT_EQ(registry.GetStringProperty(entries[0], "location"), std::nullopt);
    EXPECT_EQ(registry.GetSInt32Property(entries[0], "current-value"), std::nullopt);

    EXPECT_EQ(registry.GetName(entries[1]), "IOHWSensor");
    EXPECT_EQ(registry.GetStringProperty(entries[1], "IONameMatched"), "temp-sensor");
    EXPECT_EQ(registry.GetStringProperty(entries[1], "location"), "acpitz temp1");
    EXPECT_EQ(registry.GetSInt32Property(entries[1], "current-value"), 1821901); // 27.8 * 65536 = 1821900.8
}

TEST(LinuxSensorRegistry, UnknownEntriesAndKeysHaveNoProperties)
{
    SysfsFixture tree;
    tree.AddChip(0).Name("acpitz").Temp(1, 27800);
    LinuxSensorRegistry registry(tree.Root());
    auto sensor = Find(registry, "acpitz temp1");

    for (SensorRegistry::EntryID unknown : { 0u, 3u, 0xFFFFFFFFu }) {
        EXPECT_EQ(registry.GetName(unknown), std::nullopt);
        EXPECT_EQ(registry.GetStringProperty(unknown, "location"), std::nullopt);
        EXPECT_EQ(registry.GetSInt32Property(unknown, "current-value"), std::nullopt);
    }
    EXPECT_EQ(registry.GetStringProperty(sensor, "type"), std::nullopt);
    EXPECT_EQ(registry.GetStringProperty(sensor, "current-value"), std::nullopt);
    EXPECT_EQ(registry.GetSInt32Property(sensor, "location"), std::nullopt);
}

TEST(LinuxSensorRegistry, WithoutHwmonOnlyThePlatformEntryIsListed)
{
    SysfsFixture tree;
    LinuxSensorRegistry registry(tree.Root());
    std::vector<SensorRegistry::EntryID> entries;
    ASSERT_TRUE(registry.IterateEntries(entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(registry.GetName(entries[0]), ""); // no model identifier files either
}

TEST(LinuxSensorRegistry, OrderFollowsDevicesNotHwmonNumbers)
{
    SysfsFixture firstBoot;
    AddThreeChips(firstBoot, 0, 1, 2);
    SysfsFixture secondBoot;
    AddThreeChips(secondBoot, 2, 0, 1);

    LinuxSensorRegistry first(firstBoot.Root());
    LinuxSensorRegistry second(secondBoot.Root());
    // By resolved device path (LNXSYSTM < pci0000 < platform), channels by number with gaps (10 after 3).
    std::vector<std::string> expected { "acpitz temp1", "nvme Composite", "coretemp Core 0", "coretemp Core 1",
        "coretemp Core 8" };
    EXPECT_EQ(Locations(first), expected);
    EXPECT_EQ(Locations(second), expected);
}

TEST(LinuxSensorRegistry, ChipsOfOneDeviceAreOrderedByName)
{
    SysfsFixture tree;
    tree.AddChip(0).Name("zeta").Device("platform/board.0").Temp(1, 30000);
    tree.AddChip(1).Name("alpha").Device("platform/board.0").Temp(1, 30000);

    LinuxSensorRegistry registry(tree.Root());
    EXPECT_EQ(Locations(registry), (std::vector<std::string> { "alpha temp1", "zeta temp1" }));
}

TEST(LinuxSensorRegistry, OlderDriversKeepNameAndChannelsInTheDeviceFolder)
{
    SysfsFixture tree;
    tree.AddChip(4).Device("i2c-0/0-002e").DeviceName("lm85").ChannelsInDevice().Temp(1, 38000).Temp(2, 40000, "CPU");

    LinuxSensorRegistry registry(tree.Root());
    EXPECT_EQ(Locations(registry), (std::vector<std::string> { "lm85 temp1", "lm85 CPU" }));
    EXPECT_EQ(registry.GetSInt32Property(Find(registry, "lm85 CPU"), "current-value"), Fixed16(40));
}

TEST(LinuxSensorRegistry, ChipsWithoutANameOrWithADanglingDeviceStillGetNames)
{
    SysfsFixture tree;
    // Seen through a bind mount of the hwmon folder alone: the device link leads nowhere.
    tree.AddChip(0).Name("coretemp").DanglingDevice("platform/coretemp.0").Temp(2, 41000, "Core 0");
    tree.AddChip(1).Device("platform/board.0").Temp(1, 30000);
    tree.AddChip(2).Temp(1, 31000);

    LinuxSensorRegistry registry(tree.Root());
    auto locations = Locations(registry);
    std::sort(locations.begin(), locations.end());
    EXPECT_EQ(locations, (std::vector<std::string> { "board.0 temp1", "coretemp Core 0", "hwmon temp1" }));
}

TEST(LinuxSensorRegistry, CurrentValueIsReadAnewInSixteenSixteen)
{
    SysfsFixture tree;
    auto chip = tree.AddChip(0).Name("acpitz").Temp(1, 45000);
    LinuxSensorRegistry registry(tree.Root());
    auto sensor = Find(registry, "acpitz temp1");

    EXPECT_EQ(registry.GetSInt32Property(sensor, "current-value"), Fixed16(45));
    chip.Attribute(1, "input", "45500\n");
    EXPECT_EQ(registry.GetSInt32Property(sensor, "current-value"), Fixed16(45.5));
    chip.Attribute(1, "input", "-12250");
    EXPECT_EQ(registry.GetSInt32Property(sensor, "current-value"), Fixed16(-12.25));
    chip.Attribute(1, "input", "1\n");
    EXPECT_EQ(registry.GetSInt32Property(sensor, "current-value"), 66); // 65.536 rounds up
}

TEST(LinuxSensorRegistry, NoReadingKeepsTheLastGoodValue)
{
    SysfsFixture tree;
    auto chip = tree.AddChip(0).Name("drivetemp").Attribute(1, "input", "not a number\n").Fault(1, false);
    LinuxSensorRegistry registry(tree.Root());
    auto sensor = Find(registry, "drivetemp temp1");

    // Absent until the driver has delivered a reading at all.
    EXPECT_EQ(registry.GetSInt32Property(sensor, "current-value"), std::nullopt);
    chip.Attribute(1, "input", "30000\n");
    EXPECT_EQ(registry.GetSInt32Property(sensor, "current-value"), Fixed16(30));

    struct Case {
        const char* what;
        const char* input;
        const char* fault;
    };
    for (const Case& row : std::initializer_list<Case> {
             { "garbage", "3x000\n", "0\n" },
             { "empty file", "", "0\n" },
             { "no-reading sentinel", "-273150\n", "0\n" },
             { "below the sentinel", "-999999\n", "0\n" },
             { "fault flag", "99000\n", "1\n" },
         }) {
        chip.Attribute(1, "input", row.input).Attribute(1, "fault", row.fault);
        EXPECT_EQ(registry.GetSInt32Property(sensor, "current-value"), Fixed16(30)) << row.what;
    }
    chip.Attribute(1, "input", "-273149\n").Attribute(1, "fault", "0\n");
    EXPECT_EQ(registry.GetSInt32Property(sensor, "current-value"), -17901093) << "the first value above the sentinel";
}

TEST(LinuxSensorRegistry, ChannelThatCannotBeReadIsListedWithoutAValue)
{
    SysfsFixture tree;
    auto chip = tree.AddChip(0).Name("nct6775").UnreadableInput(1).Temp(2, 30000);
    LinuxSensorRegistry registry(tree.Root());

    EXPECT_EQ(registry.GetSInt32Property(Find(registry, "nct6775 temp1"), "current-value"), std::nullopt);
    EXPECT_EQ(registry.GetSInt32Property(Find(registry, "nct6775 temp2"), "current-value"), Fixed16(30));

    // A file that vanished after discovery keeps the value last read from it.
    auto sensor = Find(registry, "nct6775 temp2");
    std::filesystem::remove(chip.File(2, "input"));
    TestFiles::MakeFolder(chip.File(2, "input"));
    EXPECT_EQ(registry.GetSInt32Property(sensor, "current-value"), Fixed16(30));
}

TEST(LinuxSensorRegistry, LocationsAreUniqueAndTrimmed)
{
    SysfsFixture tree;
    tree.AddChip(0)
        .Name("nvme")
        .Device("pci0000:00/nvme0")
        .Temp(1, 35000, "Composite")
        .Temp(2, 36000, "  Sensor 1 \t")
        .Attribute(3, "input", "1\n")
        .Attribute(3, "label", " \n");
    tree.AddChip(1).Name("nvme").Device("pci0000:00/nvme1").Temp(1, 35000, "Composite");
    tree.AddChip(2).Name("nvme").Device("pci0000:00/nvme2").Temp(1, 35000, "Composite");

    LinuxSensorRegistry registry(tree.Root());
    EXPECT_EQ(Locations(registry),
        (std::vector<std::string> {
            "nvme Composite", "nvme Sensor 1", "nvme temp3", "nvme Composite 2", "nvme Composite 3" }));
}

TEST(LinuxSensorRegistry, LongAndNonAsciiLabelsAreCutOnCharacterBoundaries)
{
    SysfsFixture tree;
    std::string degrees;
    for (int i = 0; i < 200; ++i)
        degrees += "\xC2\xB0"; // U+00B0, two bytes each
    tree.AddChip(0).Name("drv").Temp(1, 30000, degrees).Temp(2, 30000, degrees).Temp(3, 30000, "Caf\xE9 \xFF");

    LinuxSensorRegistry registry(tree.Root());
    auto locations = Locations(registry);
    ASSERT_EQ(locations.size(), 3u);
    // "drv " is four bytes; the label's two-byte characters end at 254 or 256, so the cut is at 254.
    EXPECT_EQ(locations[0].size(), 254u);
    EXPECT_TRUE(IsWholeUtf8(locations[0]));
    // The copy keeps its suffix whole: cutting after appending would give both sensors one name.
    EXPECT_NE(locations[1], locations[0]);
    EXPECT_LE(locations[1].size(), 255u);
    EXPECT_TRUE(locations[1].ends_with(" 2"));
    // Bytes that are not UTF-8 are part of the name as they stand.
    EXPECT_EQ(locations[2], "drv Caf\xE9 \xFF");
}

TEST(LinuxSensorRegistry, ControlCharactersInNamesBecomeSpaces)
{
    SysfsFixture tree;
    tree.AddChip(0).Name("it87").Attribute(1, "input", "30000\n").Attribute(1, "label", std::string("SYS\0TIN\n", 8));
    LinuxSensorRegistry registry(tree.Root());
    EXPECT_EQ(Locations(registry), (std::vector<std::string> { "it87 SYS TIN" }));
}

TEST(LinuxSensorRegistry, ThresholdsInSixteenSixteen)
{
    SysfsFixture tree;
    tree.AddChip(0)
        .Name("nct6775")
        .Temp(1, 30000, "both")
        .Min(1, 5000)
        .Max(1, 80000)
        .Crit(1, 100000)
        .Temp(2, 30000, "crit only")
        .Crit(2, 95500)
        .Temp(3, 30000, "invalid")
        .Attribute(3, "min", "n/a\n")
        .Attribute(3, "max", "-273150\n")
        .Crit(3, 90000)
        .Temp(4, 30000, "none");

    LinuxSensorRegistry registry(tree.Root());
    auto low = [&](const char* label) { return registry.GetSInt32Property(Find(registry, label), "low-threshold"); };
    auto high = [&](const char* label) { return registry.GetSInt32Property(Find(registry, label), "high-threshold"); };
    EXPECT_EQ(low("nct6775 both"), Fixed16(5));
    EXPECT_EQ(high("nct6775 both"), Fixed16(80));
    EXPECT_EQ(low("nct6775 crit only"), std::nullopt);
    EXPECT_EQ(high("nct6775 crit only"), Fixed16(95.5));
    EXPECT_EQ(low("nct6775 invalid"), std::nullopt);
    EXPECT_EQ(high("nct6775 invalid"), Fixed16(90)); // an unusable max counts as none
    EXPECT_EQ(low("nct6775 none"), std::nullopt);
    EXPECT_EQ(high("nct6775 none"), std::nullopt);
}

TEST(LinuxSensorRegistry, PackageChannelsAndTheSMCChipAreLeftToTheirOwnSources)
{
    SysfsFixture tree;
    tree.AddChip(0)
        .Name("coretemp")
        .Device("platform/coretemp.0")
        .Temp(1, 50000, "Package id 0")
        .Temp(2, 45000, "Core 0");
    tree.AddChip(1).Name("coretemp").Device("platform/coretemp.1").Temp(1, 50000, "Physical id 1");
    tree.AddChip(2)
        .Name("k10temp")
        .Device("pci0000:00/0000:00:18.3")
        .Temp(1, 60000, "Tctl")
        .Temp(2, 50000, "Tdie")
        .Temp(3, 48000, "Tccd1");
    tree.AddChip(3).Name("k10temp").Device("pci0000:00/0000:00:19.3").Temp(1, 52000);
    tree.AddChip(4).Name("applesmc").Device("platform/applesmc.768").Temp(1, 40000, "TC0D");

    LinuxSensorRegistry registry(tree.Root());
    EXPECT_EQ(Locations(registry), (std::vector<std::string> { "k10temp Tctl", "k10temp Tccd1", "coretemp Core 0" }));
}
