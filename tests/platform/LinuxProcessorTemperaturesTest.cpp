#include "platform/LinuxProcessorTemperatures.h"

#include "tests/support/SysfsFixture.h"

#include <gtest/gtest.h>

namespace {

using Readings = std::vector<int32_t>;

Readings Read(LinuxProcessorTemperatures& processors)
{
    Readings readings { 12345 };
    EXPECT_TRUE(processors.Read(readings));
    return readings;
}

}

TEST(LinuxProcessorTemperatures, IntelPackagesInPackageOrderRoundedToNearest)
{
    SysfsFixture tree;
    for (int cpu = 0; cpu < 4; ++cpu)
        tree.AddCpu(cpu, cpu / 2);
    // The second package's chip comes first: the label says which package it is, in older kernels' form too.
    auto second = tree.AddChip(0).Name("coretemp").Device("platform/coretemp.1");
    second.Temp(1, 51499, "Physical id 1").Temp(2, 60000, "Core 0");
    auto first = tree.AddChip(1).Name("coretemp").Device("platform/coretemp.0").Temp(1, 45500, "Package id 0");
    LinuxProcessorTemperatures processors(tree.Root());
    EXPECT_EQ(Read(processors), (Readings { 46, 51 })); // halves round away from zero
    first.Attribute(1, "input", "-45500\n");
    EXPECT_EQ(Read(processors), (Readings { -46, 51 })) << "every Read reads the channels anew";
}

// Package 1 has no channel at all, package 2 one that cannot be read: sensors without a reading.
TEST(LinuxProcessorTemperatures, PackageWithoutAReadingGivesMinusOne)
{
    SysfsFixture tree;
    for (int cpu = 0; cpu < 3; ++cpu)
        tree.AddCpu(cpu, cpu);
    tree.AddChip(0).Name("coretemp").Device("platform/coretemp.0").Temp(1, 40000, "Package id 0");
    tree.AddChip(1).Name("coretemp").Device("platform/coretemp.2").Temp(1, 0, "Package id 2").UnreadableInput(1);
    LinuxProcessorTemperatures processors(tree.Root());
    EXPECT_EQ(Read(processors), (Readings { 40, -1, -1 }));
    std::vector<bool> sensors;
    for (int32_t package = -1; package <= 3; ++package)
        sensors.push_back(processors.HasTemperatureSensor(package));
    EXPECT_EQ(sensors, (std::vector<bool> { false, true, false, true, false }));
}

TEST(LinuxProcessorTemperatures, WithoutTopologyEachPackageChannelCounts)
{
    SysfsFixture tree;
    tree.Write("sys/devices/system/cpu/cpu0/topology/physical_package_id", "garbage\n");
    tree.AddChip(0).Name("coretemp").Device("platform/coretemp.1").Temp(1, 52000, "Package id 1");
    tree.AddChip(1).Name("coretemp").Device("platform/coretemp.0").Temp(1, 41000, "Package id 0");
    tree.AddChip(2).Name("acpitz").Temp(1, 30000);
    LinuxProcessorTemperatures processors(tree.Root());
    EXPECT_EQ(Read(processors), (Readings { 41, 52 }));
}

TEST(LinuxProcessorTemperatures, AMDChipsStandForPackagesInDeviceOrder)
{
    // Channel n of chip k reads 100k + 10n: Tdie before Tctl, Tctl alone, temp1 before Zen, none usable.
    const std::vector<std::vector<std::pair<int, std::string>>> chips { { { 1, "Tctl" }, { 2, "Tdie" },
                                                                            { 3, "Tccd1" } },
        { { 1, "Tctl" }, { 3, "Tccd1" } }, { { 1, "" } }, { { 3, "Tccd1" } } };
    SysfsFixture tree;
    for (int k = 0; k < 4; ++k) {
        tree.AddCpu(k, k);
        auto chip = tree.AddChip(3 - k).Name(k % 2 ? "zenpower" : "k10temp");
        chip.Device("pci0000:00/0000:00:" + std::to_string(18 + k) + ".3");
        for (const auto& [number, label] : chips[static_cast<size_t>(k)])
            chip.Temp(number, 100000 * k + 10000 * number, label);
    }
    LinuxProcessorTemperatures processors(tree.Root());
    EXPECT_EQ(Read(processors), (Readings { 20, 110, 210, -1 }));
}

// A package carries coretemp's own limit (max, else crit, as every channel); k10temp's temp1_max is a fixed
// 70 C that says nothing of the processor, so an AMD package has none.
TEST(LinuxProcessorTemperatures, IntelPackagesCarryTheirLimitAndAMDPackagesNone)
{
    SysfsFixture tree;
    for (int cpu = 0; cpu < 4; ++cpu)
        tree.AddCpu(cpu, cpu);
    tree.AddChip(0)
        .Name("coretemp")
        .Device("platform/coretemp.0")
        .Temp(1, 40000, "Package id 0")
        .Max(1, 100000)
        .Crit(1, 105000);
    tree.AddChip(1).Name("coretemp").Device("platform/coretemp.1").Temp(1, 40000, "Package id 1").Crit(1, 95500);
    tree.AddChip(2)
        .Name("coretemp")
        .Device("platform/coretemp.2")
        .Temp(1, 40000, "Package id 2")
        .Max(1, 65261850)
        .Crit(1, 98000);
    tree.AddChip(3).Name("k10temp").Device("pci0000:00/0000:00:18.3").Temp(1, 50000, "Tctl").Max(1, 70000);
    LinuxProcessorTemperatures processors(tree.Root());
    std::vector<std::optional<int32_t>> limits;
    for (int32_t package = 0; package < 4; ++package)
        limits.push_back(processors.HighLimit(package));
    EXPECT_EQ(limits, (std::vector<std::optional<int32_t>> { 100, 96, 98, std::nullopt }));
}
