#include "platform/LinuxProcessorTemperatures.h"

#include "tests/support/SysfsFixture.h"

#include <gtest/gtest.h>

namespace {

std::vector<int32_t> Read(const SysfsFixture& tree)
{
    LinuxProcessorTemperatures processors(tree.Root());
    std::vector<int32_t> readings { 12345 };
    EXPECT_TRUE(processors.Read(readings));
    return readings;
}

using Readings = std::vector<int32_t>;

}

TEST(LinuxProcessorTemperatures, IntelPackagesInPackageOrderRoundedToNearest)
{
    SysfsFixture tree;
    for (int cpu = 0; cpu < 4; ++cpu)
        tree.AddCpu(cpu, cpu / 2);
    // The second package's chip comes first in chip order; the label decides which package it is.
    tree.AddChip(0)
        .Name("coretemp")
        .Device("platform/coretemp.1")
        .Temp(1, 51499, "Package id 1")
        .Temp(2, 60000, "Core 0");
    auto first = tree.AddChip(1).Name("coretemp").Device("platform/coretemp.0").Temp(1, 45500, "Package id 0");

    LinuxProcessorTemperatures processors(tree.Root());
    Readings readings;
    ASSERT_TRUE(processors.Read(readings));
    EXPECT_EQ(readings, (Readings { 46, 51 })); // halves round away from zero

    // Every Read reads the channels anew.
    first.Attribute(1, "input", "-45500\n");
    ASSERT_TRUE(processors.Read(readings));
    EXPECT_EQ(readings, (Readings { -46, 51 }));
}

TEST(LinuxProcessorTemperatures, OlderKernelsLabelPackagesPhysicalId)
{
    SysfsFixture tree;
    tree.AddCpu(0, 0);
    tree.AddChip(0).Name("coretemp").Device("platform/coretemp.0").Temp(1, 38000, "Physical id 0");
    EXPECT_EQ(Read(tree), (Readings { 38 }));
}

TEST(LinuxProcessorTemperatures, PackageWithoutAReadingGivesMinusOne)
{
    SysfsFixture tree;
    tree.AddCpu(0, 0);
    tree.AddCpu(1, 1);
    tree.AddCpu(2, 2);
    tree.AddChip(0).Name("coretemp").Device("platform/coretemp.0").Temp(1, 40000, "Package id 0");
    tree.AddChip(1)
        .Name("coretemp")
        .Device("platform/coretemp.2")
        .UnreadableInput(1)
        .Attribute(1, "label", "Package id 2\n");
    // Package 1 has no channel at all, package 2 one that cannot be read.
    EXPECT_EQ(Read(tree), (Readings { 40, -1, -1 }));
}

TEST(LinuxProcessorTemperatures, WithoutTopologyEachPackageChannelCounts)
{
    SysfsFixture tree;
    tree.Write("sys/devices/system/cpu/cpu0/topology/physical_package_id", "garbage\n");
    tree.AddChip(0).Name("coretemp").Device("platform/coretemp.1").Temp(1, 52000, "Package id 1");
    tree.AddChip(1).Name("coretemp").Device("platform/coretemp.0").Temp(1, 41000, "Package id 0");
    EXPECT_EQ(Read(tree), (Readings { 41, 52 }));
}

TEST(LinuxProcessorTemperatures, NoPackagesGiveAnEmptyReading)
{
    SysfsFixture tree;
    tree.AddChip(0).Name("acpitz").Temp(1, 30000);
    EXPECT_EQ(Read(tree), Readings {});
}

TEST(LinuxProcessorTemperatures, AMDChipsStandForPackagesInChipOrder)
{
    struct Row {
        const char* name;
        std::vector<std::pair<int, std::string>> channels; // number, label
        int32_t expected;
    };
    // Values are the channel number times ten degrees, so the reading tells which channel was used.
    for (const Row& row : std::initializer_list<Row> {
             { "Tdie before Tctl", { { 1, "Tctl" }, { 2, "Tdie" }, { 3, "Tccd1" } }, 20 },
             { "Tctl without Tdie", { { 1, "Tctl" }, { 3, "Tccd1" } }, 10 },
             { "unlabelled temp1 before Zen", { { 1, "" } }, 10 },
             { "no usable channel", { { 3, "Tccd1" } }, -1 },
         }) {
        SysfsFixture tree;
        tree.AddCpu(0, 0);
        auto chip = tree.AddChip(0).Name("k10temp").Device("pci0000:00/0000:00:18.3");
        for (const auto& [number, label] : row.channels)
            chip.Temp(number, number * 10000, label);
        EXPECT_EQ(Read(tree), Readings { row.expected }) << row.name;
    }
}

TEST(LinuxProcessorTemperatures, TwoAMDPackages)
{
    SysfsFixture tree;
    tree.AddCpu(0, 0);
    tree.AddCpu(1, 1);
    tree.AddChip(0).Name("zenpower").Device("pci0000:00/0000:00:19.3").Temp(1, 61000, "Tdie");
    tree.AddChip(1).Name("zenpower").Device("pci0000:00/0000:00:18.3").Temp(1, 55000, "Tdie");
    EXPECT_EQ(Read(tree), (Readings { 55, 61 }));
}
