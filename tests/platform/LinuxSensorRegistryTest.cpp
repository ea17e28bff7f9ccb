#include "platform/LinuxSensorRegistry.h"

#include "platform/SysfsFile.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/SysfsFixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>

namespace {

using Values = std::vector<std::optional<int32_t>>;

// The channel entries, which follow the platform entry.
std::vector<SensorRegistry::EntryID> Channels(SensorRegistry& registry)
{
    std::vector<SensorRegistry::EntryID> entries;
    EXPECT_TRUE(registry.IterateEntries(entries));
    return std::vector<SensorRegistry::EntryID>(entries.begin() + (entries.empty() ? 0 : 1), entries.end());
}

std::vector<std::string> Locations(SensorRegistry& registry)
{
    std::vector<std::string> locations;
    for (SensorRegistry::EntryID entry : Channels(registry))
        locations.push_back(registry.GetStringProperty(entry, "location").value_or("?"));
    return locations;
}

Values ValuesOf(SensorRegistry& registry, std::string_view key = "current-value")
{
    Values values;
    for (SensorRegistry::EntryID entry : Channels(registry))
        values.push_back(registry.GetSInt32Property(entry, key));
    return values;
}

constexpr auto Fixed16 = &FixturePlatform::Fixed16;

// The same chips in whatever hwmon numbers the drivers got at this boot.
void AddChips(SysfsFixture& tree, const std::vector<int>& numbers)
{
    auto coretemp = tree.AddChip(numbers[0]).Name("coretemp").Device("platform/coretemp.0");
    coretemp.Temp(1, 50000, "Package id 0").Temp(2, 41000, "Core 0").Temp(10, 43000, "Core 8").Temp(3, 42000, "Core 1");
    tree.AddChip(numbers[1]).Name("nvme").Device("pci0000:00/0000:00:1d.0/nvme/nvme0").Temp(1, 35000, "Composite");
    tree.AddChip(numbers[2]).Name("acpitz").Device("LNXSYSTM:00/LNXSYBUS:01/LNXTHERM:00").Temp(1, 27800);
    tree.AddChip(numbers[3]).Name("zeta").Device("platform/board.0").Temp(1, 30000);
    tree.AddChip(numbers[4]).Name("alpha").Device("platform/board.0").Temp(1, 30000);
}

}

TEST(LinuxSensorRegistry, PlatformEntryComesFirstAndOnlyChannelsHaveSensorProperties)
{
    SysfsFixture tree;
    tree.SetProductName("MacPro1,1  \n");
    tree.AddChip(0).Name("acpitz").Temp(1, 27800);
    LinuxSensorRegistry registry(tree.Root());
    std::vector<SensorRegistry::EntryID> entries;
    ASSERT_TRUE(registry.IterateEntries(entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(registry.GetName(entries[0]), "MacPro1,1");
    EXPECT_EQ(registry.GetName(entries[1]), "IOHWSensor");
    EXPECT_EQ(registry.GetStringProperty(entries[1], "IONameMatched"), "temp-sensor");
    EXPECT_EQ(registry.GetStringProperty(entries[1], "location"), "acpitz temp1");
    EXPECT_EQ(registry.GetSInt32Property(entries[1], "current-value"), 1821901); // 27.8 * 65536 = 1821900.8
    EXPECT_EQ(registry.GetStringProperty(entries[1], "current-value"), std::nullopt) << "a property of another type";
    // Neither the platform entry nor an unknown one has sensor properties; an unknown one has no name.
    for (SensorRegistry::EntryID other : { entries[0], 0u, 3u, 0xFFFFFFFFu }) {
        EXPECT_EQ(registry.GetStringProperty(other, "location"), std::nullopt) << other;
        EXPECT_EQ(registry.GetSInt32Property(other, "current-value"), std::nullopt) << other;
        EXPECT_TRUE(other == entries[0] || !registry.GetName(other)) << other;
    }
    SysfsFixture bare; // no hwmon folder
    ASSERT_TRUE(LinuxSensorRegistry(bare.Root()).IterateEntries(entries));
    EXPECT_EQ(entries.size(), 1u);
}

TEST(LinuxSensorRegistry, OrderFollowsDevicesNotHwmonNumbers)
{
    SysfsFixture firstBoot;
    AddChips(firstBoot, { 0, 1, 2, 3, 4 });
    SysfsFixture secondBoot;
    AddChips(secondBoot, { 4, 2, 0, 1, 3 });
    LinuxSensorRegistry first(firstBoot.Root()), second(secondBoot.Root());
    // By device path (LNXSYSTM < pci0000 < platform), chip name, channel number (10 after 3); no package.
    std::vector<std::string> expected { "acpitz temp1", "nvme Composite", "alpha temp1", "zeta temp1",
        "coretemp Core 0", "coretemp Core 1", "coretemp Core 8" };
    EXPECT_EQ(Locations(first), expected);
    EXPECT_EQ(Locations(second), expected);
}

TEST(LinuxSensorRegistry, ChipsGetNamesWhereverTheDriverKeepsThem)
{
    SysfsFixture tree;
    // Older drivers keep the name and the channels in the device folder.
    tree.AddChip(4).Device("i2c-0/0-002e").DeviceName("lm85").ChannelsInDevice().Temp(1, 38000).Temp(2, 40000, "CPU");
    // Seen through a bind mount of the hwmon folder alone: the device link leads nowhere.
    tree.AddChip(0).Name("coretemp").DanglingDevice("platform/coretemp.0").Temp(2, 41000, "Core 0");
    tree.AddChip(1).Device("platform/board.0").Temp(1, 30000);
    tree.AddChip(2).Temp(1, 31000);

    LinuxSensorRegistry registry(tree.Root());
    std::map<std::string, std::optional<int32_t>> byLocation;
    for (SensorRegistry::EntryID entry : Channels(registry))
        byLocation[registry.GetStringProperty(entry, "location").value_or("?")]
            = registry.GetSInt32Property(entry, "current-value");
    EXPECT_EQ(byLocation,
        (std::map<std::string, std::optional<int32_t>> { { "board.0 temp1", Fixed16(30) },
            { "coretemp Core 0", Fixed16(41) }, { "hwmon temp1", Fixed16(31) }, { "lm85 CPU", Fixed16(40) },
            { "lm85 temp1", Fixed16(38) } }));
}

TEST(LinuxSensorRegistry, ValuesAreReadAnewAndAFailedReadIsNoValue)
{
    SysfsFixture tree;
    auto chip = tree.AddChip(0).Name("nct6775").Attribute(1, "input", "not a number\n").Fault(1, false);
    chip.UnreadableInput(2).Temp(3, 30000);
    LinuxSensorRegistry registry(tree.Root());
    // An unreadable channel is listed without a value; temp1 has none until the driver gives a reading.
    EXPECT_EQ(Locations(registry), (std::vector<std::string> { "nct6775 temp1", "nct6775 temp2", "nct6775 temp3" }));
    EXPECT_EQ(ValuesOf(registry), (Values { std::nullopt, std::nullopt, Fixed16(30) }));
    // Regression: readings outside -100..300 C (1e12 m°C spoiled every range; the no-reading sentinel -273150 lies
    // below), garbage and the fault flag are no value (the sensor keeps its last good one); the limits are readings.
    const std::tuple<const char*, const char*, std::optional<double>> cases[]
        = { { "45500\n", "0\n", 45.5 }, { "-12250", "0\n", -12.25 }, { "3x000\n", "0\n", {} }, { "", "0\n", {} },
              { "99000\n", "1\n", {} }, { "300001\n", "0\n", {} }, { "-100001\n", "0\n", {} },
              { "300000\n", "0\n", 300 }, { "-100000\n", "0\n", -100 } };
    for (auto [input, fault, celsius] : cases) {
        chip.Attribute(1, "input", input).Attribute(1, "fault", fault);
        EXPECT_EQ(ValuesOf(registry)[0], celsius ? std::optional<int32_t>(Fixed16(*celsius)) : std::nullopt)
            << input << fault;
    }
}

// Regression: a channel whose driver was unloaded and loaded again answers its old descriptor with ENODEV
// for ever. The reading that fails gives no value, and the next one opens the file again by its path (the
// new file is a new inode here, which the old descriptor would never see).
TEST(LinuxSensorRegistry, AChannelThatStopsAnsweringIsOpenedAgain)
{
    SysfsFixture tree;
    auto chip = tree.AddChip(0).Name("nvme").Temp(1, 45000, "Composite");
    auto replaceInput = [&](int celsius) {
        TestFiles::Write(chip.File(1, "input") + ".new", std::to_string(celsius * 1000) + "\n");
        std::filesystem::rename(chip.File(1, "input") + ".new", chip.File(1, "input"));
    };
    LinuxSensorRegistry registry(tree.Root());
    EXPECT_EQ(ValuesOf(registry), (Values { Fixed16(45) }));
    replaceInput(50);
    EXPECT_EQ(ValuesOf(registry), (Values { Fixed16(45) })) << "an open descriptor reads the file it opened";
    static int sError;
    int shown = 45;
    for (int error : { ENODEV, ESTALE }) {
        SCOPED_TRACE(error);
        sError = error;
        SysfsFile::SetPreadForTesting([](int, void*, size_t, off_t) -> ssize_t {
            errno = sError;
            return -1;
        });
        EXPECT_EQ(ValuesOf(registry), (Values { std::nullopt }));
        SysfsFile::SetPreadForTesting(nullptr);
        shown = shown == 45 ? 50 : 45;
        EXPECT_EQ(ValuesOf(registry), (Values { Fixed16(shown) }));
        replaceInput(shown == 45 ? 50 : 45);
    }
}

TEST(LinuxSensorRegistry, LocationsAreUniqueCleanAndCutOnCharacterBoundaries)
{
    SysfsFixture tree;
    auto nvme = tree.AddChip(0).Name("nvme").Device("pci0000:00/nvme0").Temp(1, 1, "Composite");
    nvme.Temp(2, 1, "  Sensor 1 \t").Temp(3, 1, " ").Temp(4, 1, std::string("SYS\0TIN", 7));
    tree.AddChip(1).Name("nvme").Device("pci0000:00/nvme1").Temp(1, 35000, "Composite");
    tree.AddChip(2).Name("nvme").Device("pci0000:00/nvme2").Temp(1, 35000, "Composite");
    std::string degrees;
    for (int i = 0; i < 200; ++i)
        degrees += "\xC2\xB0"; // U+00B0, two bytes each
    auto drv = tree.AddChip(3).Name("drv").Device("pci0000:00/zz");
    drv.Temp(1, 1, degrees).Temp(2, 1, degrees).Temp(3, 1, "Caf\xE9 \xFF");
    // Regression: a label that is no UTF-8 at all named the sensor by nothing; the channel's name stands in.
    drv.Temp(7, 1, "\xFF\xFE \xC0\xAF\x80\x80\xED\xA0\x80");

    // Cut to 255 bytes on a character boundary, a copy's suffix kept whole; stray bytes in a label stand.
    LinuxSensorRegistry registry(tree.Root());
    EXPECT_EQ(Locations(registry),
        (std::vector<std::string> { "nvme Composite", "nvme Sensor 1", "nvme temp3", "nvme SYS TIN", "nvme Composite 2",
            "nvme Composite 3", "drv " + degrees.substr(0, 250), "drv " + degrees.substr(0, 248) + " 2",
            "drv Caf\xE9 \xFF", "drv temp7" }));
}

TEST(LinuxSensorRegistry, ThresholdsInSixteenSixteen)
{
    SysfsFixture tree;
    auto chip = tree.AddChip(0).Name("nct6775");
    chip.Temp(1, 30000, "both").Min(1, 5000).Max(1, 80000).Crit(1, 100000);
    chip.Temp(2, 30000, "crit only").Crit(2, 95500).Temp(4, 30000, "none");
    chip.Temp(3, 30000, "invalid").Attribute(3, "min", "n/a\n").Attribute(3, "max", "-273150\n").Crit(3, 90000);
    // Values just inside and just outside -60 to 200 C; an NVMe drive's "no limit" (65261.85 C) lies beyond.
    chip.Temp(6, 30000, "edges").Min(6, -60000).Max(6, 200000).Temp(7, 30000, "beyond").Min(7, -60001).Max(7, 200001);
    LinuxSensorRegistry registry(tree.Root());
    // An unusable or implausible max counts as none, leaving crit.
    EXPECT_EQ(ValuesOf(registry, "low-threshold"),
        (Values { Fixed16(5), std::nullopt, std::nullopt, std::nullopt, Fixed16(-60), std::nullopt }));
    EXPECT_EQ(ValuesOf(registry, "high-threshold"),
        (Values { Fixed16(80), Fixed16(95.5), Fixed16(90), std::nullopt, Fixed16(200), std::nullopt }));
}

TEST(LinuxSensorRegistry, PackageChannelsAndTheSMCChipAreLeftToTheirOwnSources)
{
    SysfsFixture tree;
    auto coretemp = tree.AddChip(0).Name("coretemp").Device("platform/coretemp.0");
    coretemp.Temp(1, 50000, "Package id 0").Temp(2, 45000, "Core 0");
    tree.AddChip(1).Name("coretemp").Device("platform/coretemp.1").Temp(1, 50000, "Physical id 1");
    auto k10temp = tree.AddChip(2).Name("k10temp").Device("pci0000:00/0000:00:18.3");
    k10temp.Temp(1, 60000, "Tctl").Temp(2, 50000, "Tdie").Temp(3, 48000, "Tccd1");
    tree.AddChip(3).Name("k10temp").Device("pci0000:00/0000:00:19.3").Temp(1, 52000);
    tree.AddChip(4).Name("applesmc").Device("platform/applesmc.768").Temp(1, 40000, "TC0D");
    LinuxSensorRegistry registry(tree.Root());
    EXPECT_EQ(Locations(registry), (std::vector<std::string> { "k10temp Tctl", "k10temp Tccd1", "coretemp Core 0" }));
}
