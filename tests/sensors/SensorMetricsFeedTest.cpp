// The metrics of sensors found on a sysfs tree: node_exporter's chip and sensor labels for the same channels,
// readings with their fraction, limits only where a chip means them, and a channel that never reads.
#include "sensors/SensorMetricsFeed.h"
#include "metrics/MetricsExposition.h"
#include "sensors/SensorMaster.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"
#include "tests/support/SysfsFixture.h"

#include <gtest/gtest.h>

TEST(SensorMetricsFeed, SeriesOfASysfsTree)
{
    SysfsFixture sysfs;
    sysfs.AddCpu(0, 0);
    sysfs.AddChip(3).Name("coretemp").Device("platform/coretemp.0").Temp(1, 52000, "Package id 0");
    sysfs.AddChip(3).Temp(2, 45125, "Core 0").Max(2, 100000).Crit(2, 110000);
    sysfs.AddChip(1).Name("amdgpu").Device("pci0000:00/0000:02:00.0").Temp(1, 98500, "edge").Max(1, 95000);
    sysfs.AddChip(1).Crit(1, 255000); // no crit, as amdgpu says it
    sysfs.AddChip(0).Name("acpitz").Temp(1, 27800);
    sysfs.AddChip(2).Name("nvme").Device("pci0000:00/0000:00:01.1/0000:01:00.0/nvme/nvme0").Temp(1, 0);
    sysfs.AddChip(2).UnreadableInput(1);
    FixturePlatform platform(FixturePlatform::OnSysfs { sysfs.Root() });
    SensorMaster& master = Sampling::StartSensors();
    SensorMetricsFeed feed(master);
    std::string text = MetricsExposition::Write(feed.NewestReadings(), "t", MetricsExposition::Format::Text004);

    const char* const lines[] = {
        R"(kelvara_temperature_celsius{chip="platform_coretemp_0",sensor="temp1",name="CPU temperature"} 52)",
        R"(kelvara_temperature_celsius{chip="platform_coretemp_0",sensor="temp2",name="coretemp Core 0"} 45.125)",
        R"(kelvara_temperature_max_celsius{chip="platform_coretemp_0",sensor="temp2",name="coretemp Core 0"} 100)",
        R"(kelvara_temperature_crit_celsius{chip="platform_coretemp_0",sensor="temp2",name="coretemp Core 0"} 110)",
        R"(kelvara_temperature_celsius{chip="pci0000:00_0000:02:00_0",sensor="temp1",name="amdgpu edge"} 98.5)",
        R"(kelvara_temperature_alarm{chip="pci0000:00_0000:02:00_0",sensor="temp1",name="amdgpu edge"} 1)",
        R"(kelvara_temperature_alarm{chip="platform_coretemp_0",sensor="temp2",name="coretemp Core 0"} 0)",
        R"(kelvara_temperature_celsius{chip="acpitz",sensor="temp1",name="acpitz temp1"} 27.8)",
        R"(kelvara_sensor_up{chip="nvme_nvme0",sensor="temp1",name="nvme temp1"} 0)",
        R"(kelvara_read_errors_total{chip="nvme_nvme0",sensor="temp1",name="nvme temp1"} 1)",
        R"(kelvara_read_errors_total{chip="acpitz",sensor="temp1",name="acpitz temp1"} 0)",
    };
    for (const char* line : lines)
        EXPECT_NE(text.find(std::string(line) + "\n"), std::string::npos) << line << "\nin\n" << text;
    const char* const absent[] = { "kelvara_temperature_celsius{chip=\"nvme_nvme0\"",
        "kelvara_temperature_crit_celsius{chip=\"pci0000:00_0000:02:00_0\"" };
    for (const char* start : absent)
        EXPECT_EQ(text.find(start), std::string::npos) << start;
}
