// SATA drives whose temperature comes from a stand-in UDisks2 daemon on a private system bus, as the program
// finds, names, samples, records and exports them next to the hardware monitor channels.
#include "prefs/Preferences.h"
#include "sensors/HistoryExport.h"
#include "sensors/SensorMaster.h"
#include "sensors/SensorSampler.h"
#include "sensors/TemperatureSensor.h"
#include "sensors/UDisksModule.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/Sampling.h"
#include "tests/support/SysfsFixture.h"
#include "tests/support/TestFolders.h"
#include "tests/support/UDisks2StandIn.h"
#include "util/TemperatureUnits.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <fstream>

namespace {

const SamplingTimes kQuickTimes { std::chrono::milliseconds(200), std::chrono::milliseconds(50),
    std::chrono::milliseconds(5000) };

using Listing = std::vector<std::pair<std::string, std::string>>;

// Samples until each sensor's name and current value, in the list's order, are as expected, for at most a few
// seconds (D-Bus answers come when they come); returns the last list.
Listing AwaitListing(const Listing& expected)
{
    QElapsedTimer timer;
    timer.start();
    while (true) {
        Listing listing;
        SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
        for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i) {
            char text[kScaledTemperatureTextSize];
            (*sensors)[i]->GetSensorTemperatureAsString(text);
            listing.emplace_back((*sensors)[i]->GetSensorName(), text);
        }
        if (listing == expected || timer.elapsed() >= 4000)
            return listing;
        Sampling::AwaitRound(*SensorMaster::Get());
    }
}

UDisks2StandIn::Drive Seagate(double kelvin)
{
    return { "ST4000DM004_2CV104_ZFN0ABCD", "ST4000DM004-2CV104-ZFN0ABCD", "ST4000DM004-2CV104", "ZFN0ABCD", true, true,
        kelvin, "/dev/sda" };
}

UDisks2StandIn::Drive Samsung(double kelvin)
{
    return { "Samsung_SSD_870_EVO_1TB_S6PTNZ0R612345X", "Samsung-SSD-870-EVO-1TB-S6PTNZ0R612345X",
        "Samsung SSD 870 EVO 1TB", "S6PTNZ0R612345X", true, true, kelvin, "/dev/sdb" };
}

const std::string kSeagate = "ST4000DM004-2CV104 (ABCD)";
const std::string kSamsung = "Samsung SSD 870 EVO 1TB (345X)";
const std::pair<std::string, std::string> kBoard { "acpitz temp1", "30C" };

// Two SATA disks on the board's AHCI controller, as sysfs shows them: the block device's "device" link leads
// to the disk's SCSI device, which a drivetemp hardware monitor would have as its device too.
const std::string kFirstDisk = "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0";

// A private system bus with the stand-in UDisks2 on it, and a sysfs tree with both disks (each block device with
// a partition, which has no device link) and, unless told otherwise, the board's channel.
struct Machine {
    explicit Machine(bool board = true)
    {
        if (board)
            sysfs.AddChip(0).Name("acpitz").Device("LNXSYSTM:00/LNXTHERM:00").Temp(1, 30000);
        for (const auto& [name, disk] : std::vector<std::pair<std::string, std::string>> {
                 { "sda", kFirstDisk }, { "sdb", "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0" } }) {
            TestFiles::MakeFolder(sysfs.Path("sys/devices/" + disk));
            TestFiles::Symlink(sysfs.Path("sys/devices/" + disk), sysfs.Path("sys/class/block/" + name + "/device"));
            TestFiles::MakeFolder(sysfs.Path("sys/class/block/" + name + "1"));
        }
    }
    // The program started on this machine, once UDisks2 took its name on the bus (unless told otherwise).
    void Start(bool own = true)
    {
        if (own)
            udisks.Own();
        platform.emplace(FixturePlatform::OnSysfs { sysfs.Root() });
        Preferences::Get()->SetTemperatureScale(kScaleCelsius);
    }

    PrivateBus bus;
    UDisks2StandIn udisks { bus.Address() };
    SysfsFixture sysfs;
    std::optional<FixturePlatform> platform;
};

class DriveSensors_ : public ::testing::Test {
protected:
    DriveSensors_() { SensorMaster::SetSamplingTimesForTesting(kQuickTimes); }
    ~DriveSensors_() override { SensorMaster::SetSamplingTimesForTesting(std::nullopt); }
};

}

// What the program lists for each shape of UDisks2, beside a board channel that is there in every case and must
// stay as it is: drives with SMART on become sensors named by model and serial, others do not, a drive that a
// drivetemp channel already shows is not listed twice, a temperature UDisks2 changes is the new reading, and one
// sent as anything but a number is none.
TEST_F(DriveSensors_, DrivesAsUDisks2ShowsThem)
{
    enum Shape { Running, NotRunning, Hung, CoveredByDrivetemp, TemperatureAsText };
    struct Case {
        const char* name;
        std::vector<UDisks2StandIn::Drive> drives;
        Listing expected;
        Shape shape = Running;
        double kelvin = 0; // the first drive's temperature changed to this after the listing; 0: unchanged
        bool invalidated = false; // the change announced only as invalidated
        Listing afterChange = {};
    };
    UDisks2StandIn::Drive noSmart = Samsung(310.15);
    noSmart.smartSupported = false;
    UDisks2StandIn::Drive smartOff = Seagate(310.15);
    smartOff.smartEnabled = false;
    UDisks2StandIn::Drive unicodeSerial = Samsung(303.15);
    unicodeSerial.serial = "SN-\xC3\xA9t\xC3\xA9\xE2\x82\xAC";
    const Case cases[] = {
        { "DrivesWithoutSmartOrWithSmartOff", { noSmart, smartOff }, { kBoard } },
        { "DriveCoveredByDrivetemp", { Seagate(308.15), Samsung(314.15) },
            { kBoard, { "drivetemp temp1", "36C" }, { kSamsung, "41C" } }, CoveredByDrivetemp },
        { "TemperatureChangesThroughPropertiesChanged", { Seagate(308.15) }, { kBoard, { kSeagate, "35C" } }, Running,
            314.15, false, { kBoard, { kSeagate, "41C" } } },
        { "InvalidatedTemperatureIsAskedFor", { Seagate(308.15) }, { kBoard, { kSeagate, "35C" } }, Running, 317.15,
            true, { kBoard, { kSeagate, "44C" } } },
        { "NoValueYetIsNoReading", { Seagate(0) }, { kBoard, { kSeagate, "n/a" } }, Running, 306.65, false,
            { kBoard, { kSeagate, "34C" } } },
        { "LastFourCharactersOfSerial", { unicodeSerial },
            { kBoard, { "Samsung SSD 870 EVO 1TB (\xC3\xA9t\xC3\xA9\xE2\x82\xAC)", "30C" } } },
        { "TemperatureOfAnotherTypeIsNoReading", { Seagate(308.15) }, { kBoard, { kSeagate, "n/a" } },
            TemperatureAsText },
        { "UDisks2NotRunning", { Seagate(308.15) }, { kBoard }, NotRunning },
        { "HungUDisks2HoldsNothing", { Seagate(308.15) }, { kBoard }, Hung },
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        Machine machine;
        if (row.shape == CoveredByDrivetemp)
            machine.sysfs.AddChip(1).Name("drivetemp").Device(kFirstDisk).Temp(1, 36000);
        for (const UDisks2StandIn::Drive& drive : row.drives)
            machine.udisks.Add(drive);
        if (row.shape == TemperatureAsText)
            machine.udisks.MakeTemperatureText(row.drives.front().name);
        if (row.shape == Hung)
            machine.udisks.Hang();
        machine.Start(row.shape != NotRunning);
        // Start-up waits for UDisks2 only a while, so the board channel is found at once even when it hangs.
        std::vector<std::string> names = SensorMaster::Get()->GetSensorNames();
        EXPECT_TRUE(!names.empty() && names.front() == "acpitz temp1") << "the board channel is there from the start";
        EXPECT_EQ(AwaitListing(row.expected), row.expected);
        if (row.kelvin != 0) {
            if (row.invalidated)
                machine.udisks.InvalidateTemperature(row.drives.front().name, row.kelvin);
            else
                machine.udisks.SetTemperature(row.drives.front().name, row.kelvin);
            EXPECT_EQ(AwaitListing(row.afterChange), row.afterChange);
        }
        if (row.shape == Hung) {
            EXPECT_TRUE(Sampling::AwaitRound(*SensorMaster::Get())) << "sampling goes on";
        }
        FixturePlatform::ResetSingletons();
    }
}

// A drive unplugged while the program runs keeps its sensor, which reads "n/a" once silent; plugged in again it
// is the same sensor, and a drive plugged in for the first time joins the list.
TEST_F(DriveSensors_, DrivesComeAndGo)
{
    Machine machine(false);
    machine.udisks.Add(Seagate(308.15));
    SensorMaster::SetSamplingTimesForTesting(SamplingTimes {
        std::chrono::milliseconds(200), std::chrono::milliseconds(50), std::chrono::milliseconds(600) });
    machine.Start();
    const Listing present { { kSeagate, "35C" } };
    ASSERT_EQ(AwaitListing(present), present);

    machine.udisks.Remove("ST4000DM004_2CV104_ZFN0ABCD");
    const Listing gone { { kSeagate, "n/a" } };
    EXPECT_EQ(AwaitListing(gone), gone);

    machine.udisks.Add(Seagate(309.15));
    machine.udisks.Add(Samsung(314.15));
    const Listing back { { kSeagate, "36C" }, { kSamsung, "41C" } };
    EXPECT_EQ(AwaitListing(back), back);
    EXPECT_EQ(SensorMaster::Get()->GetSensorArray()->GetCount(), 2);
}

// Two SATA drives at 35 and 41 C are listed after the board's channel, their data files fill, and their CSV
// exports hold those temperatures.
TEST_F(DriveSensors_, TwoSataDrivesAreRecordedAndExported)
{
    Machine machine;
    machine.udisks.Add(Seagate(308.15));
    machine.udisks.Add(Samsung(314.15));
    machine.Start();
    const Listing expected { kBoard, { kSeagate, "35C" }, { kSamsung, "41C" } };
    ASSERT_EQ(AwaitListing(expected), expected);
    for (int round = 0; round < 2 * TemperatureSensor::kSamplesPerLongTermSample; ++round)
        ASSERT_TRUE(Sampling::AwaitRound(*SensorMaster::Get()));
    SensorMaster::Get()->TerminateAndSaveData();
    EXPECT_EQ(TestFiles::List(machine.platform->ProgramFolder()),
        (std::vector<std::string> { "01 acpitz temp1", "02 ST4000DM004-2CV104 (ABCD)",
            "03 Samsung SSD 870 EVO 1TB (345", "Kelvara Settings.ini", "Kelvara Timeline" }));

    // The export reads the data files: two long-term samples or more of each drive, at its temperature.
    TemporaryFolder exported;
    EXPECT_TRUE(HistoryExport::ExportProgramFolder(exported.Path()).problems.empty());
    for (const auto& [file, value] : { std::pair { "02 ST4000DM004-2CV104 (ABCD).csv", ",35" },
             std::pair { "03 Samsung SSD 870 EVO 1TB (345.csv", ",41" } }) {
        std::ifstream csv(exported / file);
        std::string line;
        std::getline(csv, line);
        EXPECT_EQ(line, "Time,Celsius") << file;
        int lines = 0;
        for (; std::getline(csv, line); ++lines)
            EXPECT_TRUE(line.ends_with(value)) << file << ": " << line;
        EXPECT_GE(lines, 2) << file;
    }
}

// The module, and with it Qt D-Bus, is loaded where a system bus is named or UDisks2 is installed, not elsewhere.
TEST(UDisksModule, IsLoadedOnlyWhereUDisks2CanRun)
{
    const char* given = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    std::optional<std::string> named = given ? std::optional<std::string>(given) : std::nullopt;
    const std::tuple<const char*, const char*, bool> cases[] = {
        { "", "", false },
        { "unix:path=/run/other-bus", "", true },
        { "", "/usr/share/dbus-1/system-services/org.freedesktop.UDisks2.service", true },
        { "", "/usr/share/dbus-1/system-services/org.freedesktop.UDisks3.service", false },
        { "", "/lib/dbus-1/system-services/org.freedesktop.UDisks2.service", true },
    };
    for (const auto& [address, serviceFile, expected] : cases) {
        TemporaryFolder root;
        if (*serviceFile != '\0')
            TestFiles::Write(root / serviceFile, "[D-BUS Service]\n");
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address, 1);
        EXPECT_EQ(UDisksModule::MayBeRunning(root.Path()), expected) << address << serviceFile;
    }
    if (named)
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", named->c_str(), 1);
    else
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}
