#include "prefs/Preferences.h"

#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"
#include "tests/support/SysfsFixture.h"

#include <gtest/gtest.h>

// A first run's tile shows the processor, found by its package's key whatever its name; without one, the
// hottest sensor; not the first found (a board's ACPI zone, the least interesting).
TEST(FirstRunTile, ShowsTheCpuPackageElseTheHottestSensor)
{
    const struct {
        const char* name;
        bool package;
        std::string shown;
    } cases[] = {
        { "Package", true, "CPU temperature" },
        { "NoPackage", false, "nvme Composite" },
    };
    for (const auto& each : cases) {
        SysfsFixture sysfs;
        sysfs.AddChip(0).Name("acpitz").Device("LNXSYSTM:00/LNXTHERM:00").Temp(1, 30000);
        sysfs.AddChip(1).Name("nvme").Device("pci0000:00/0000:00:1d.0/nvme/nvme0").Temp(1, 61000, "Composite");
        if (each.package) {
            sysfs.AddCpu(0, 0);
            sysfs.AddChip(2).Name("coretemp").Device("platform/coretemp.0").Temp(1, 45000, "Package id 0");
        }
        FixturePlatform platform(FixturePlatform::OnSysfs { sysfs.Root() });
        // The settings are made before the first sample, as at a first start.
        Preferences* prefs = Preferences::Get();
        prefs->InitializePrefs();
        ASSERT_TRUE(Sampling::RecordRound(*SensorMaster::Get())) << each.name;
        for (SensorNameList* list : { prefs->GetDockGraphDisplayArray(), prefs->GetDockTextDisplayArray() }) {
            ASSERT_EQ(list->GetCount(), 1) << each.name;
            EXPECT_EQ(Str255ToString((*list)[1]), each.shown) << each.name;
        }
    }
}
