// The chip labels that node_exporter's hwmon collector gives the same hardware, so that series join; and the
// address the endpoint listens at.
#include "metrics/NodeExporterLabels.h"
#include "metrics/MetricsAddress.h"

#include <gtest/gtest.h>

namespace {

struct DeviceCase {
    const char* name;
    const char* devicePath;
    const char* chipName;
    const char* chip;
};

const DeviceCase kDevices[] = {
    { "platform device", "/sys/devices/platform/coretemp.0", "coretemp", "platform_coretemp_0" },
    { "PCI device", "/sys/devices/pci0000:00/0000:02:00.0", "amdgpu", "pci0000:00_0000:02:00_0" },
    { "NVMe below a bridge", "/sys/devices/pci0000:00/0000:00:01.1/0000:01:00.0/nvme/nvme0", "nvme", "nvme_nvme0" },
    { "capitals and dashes", "/sys/devices/virtual/thermal/Thermal-Zone0", "acpitz", "thermal_thermal_zone0" },
    { "parent that cleans away", "/sys/--/it87.656", "it87", "it87_656" },
    { "device that cleans away", "/sys/devices/platform/...", "w83627ehf", "w83627ehf" },
    { "no device: the chip's name", "", "ACPI Tz\n", "acpi_tz" },
    { "no device, no usable name", "", "***", "hwmon" },
};

class ChipOfHwmon : public testing::TestWithParam<DeviceCase> { };

}

TEST_P(ChipOfHwmon, AsNodeExporterNamesIt)
{
    EXPECT_EQ(NodeExporterLabels::ChipOfHwmon(GetParam().devicePath, GetParam().chipName), GetParam().chip);
}

INSTANTIATE_TEST_SUITE_P(
    Labels, ChipOfHwmon, testing::ValuesIn(kDevices), [](const testing::TestParamInfo<DeviceCase>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(NodeExporterLabels, CleanNameReplacesEachCharacterOnce)
{
    const std::pair<const char*, const char*> cases[] = {
        { "Samsung SSD 980 PRO", "samsung_ssd_980_pro" },
        { "temp\xC2\xB0"
          "C",
            "temp_c" }, // the degree sign is one character: one '_'
        { "\xE2\x84\xAA"
          "elvin",
            "kelvin" }, // the Kelvin sign lower-cases to 'k'
        { "bad\xFF\xFE"
          "bytes",
            "bad__bytes" }, // each invalid byte is a character of its own
        { "__a:b__", "a:b" },
    };
    for (const auto& [name, cleaned] : cases)
        EXPECT_EQ(NodeExporterLabels::CleanName(name), cleaned) << name;
    EXPECT_EQ(NodeExporterLabels::ChipOfDrive("by-id/Samsung-SSD-980-S123"), "udisks2_by_id_samsung_ssd_980_s123");
}

TEST(MetricsAddress, ReadsAddressAndPort)
{
    const std::pair<const char*, const char*> cases[] = {
        { "9947", "127.0.0.1:9947" },
        { "0.0.0.0:9100", "0.0.0.0:9100" },
        { "[::1]:9947", "[::1]:9947" },
        { "[::]:1", "[::]:1" },
        { "::1:9947", "" }, // IPv6 in brackets only
        { "[10.0.0.1]:80", "" },
        { ":9947", "" },
        { "10.0.0.1:", "" },
        { "10.0.0.1:+80", "" },
        { "localhost:9947", "" },
        { "65536", "" },
    };
    for (const auto& [text, address] : cases) {
        std::string error;
        std::optional<MetricsAddress> parsed = MetricsAddress::Parse(text, error);
        EXPECT_EQ(parsed ? parsed->ToString() : "", address) << text;
        EXPECT_EQ(error.empty(), parsed.has_value()) << text;
    }
}
