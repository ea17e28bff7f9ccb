// Sampling on a sysfs tree read as the program reads the machine: channels that block or dawdle hold no other,
// a silent source shows "n/a", and sensors keep their identity as hardware comes and goes.
#include "tests/support/Sampling.h"
#include "platform/SysfsFile.h"
#include "prefs/Preferences.h"
#include "report/EmailDialog.h"
#include "sensors/HistoryExport.h"
#include "sensors/SensorMaster.h"
#include "sensors/SensorSampler.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/SysfsFixture.h"
#include "util/TemperatureUnits.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace {

const SamplingTimes kQuickTimes { std::chrono::milliseconds(250), std::chrono::milliseconds(50),
    std::chrono::milliseconds(800) };

// A channel whose every read takes 150 ms, three times what a sample waits; and how many of its reads were
// under way at once, at most.
std::string sSlowInput;
std::atomic<int> sSlowReads { 0 };
std::atomic<int> sMostSlowReadsAtOnce { 0 };

ssize_t DawdlingPread(int fd, void* buffer, size_t count, off_t offset)
{
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
    if (!error && path == sSlowInput) {
        int now = ++sSlowReads;
        for (int most = sMostSlowReadsAtOnce; now > most && !sMostSlowReadsAtOnce.compare_exchange_weak(most, now);)
            ;
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        --sSlowReads;
    }
    return ::pread(fd, buffer, count, offset);
}

// A file of a chip that went away answers as sysfs does then: ENODEV, for ever.
ssize_t GoneFilesFailPread(int fd, void* buffer, size_t count, off_t offset)
{
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
    if (!error && path.string().ends_with(" (deleted)")) {
        errno = ENODEV;
        return -1;
    }
    return ::pread(fd, buffer, count, offset);
}

class Sampling_ : public ::testing::Test {
protected:
    Sampling_() { SensorMaster::SetSamplingTimesForTesting(kQuickTimes); }
    ~Sampling_() override
    {
        SysfsFile::SetPreadForTesting(nullptr);
        SensorMaster::SetSamplingTimesForTesting(std::nullopt);
    }

    // Runs the event loop through rounds of sampling; returns how many were recorded.
    static int RunRounds(int rounds)
    {
        int recorded = 0;
        for (int i = 0; i < rounds; ++i)
            recorded += Sampling::AwaitRound(*SensorMaster::Get()) ? 1 : 0;
        return recorded;
    }

    static TemperatureSensor* Sensor(const std::string& name)
    {
        SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
        for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i)
            if ((*sensors)[i]->GetSensorName() == name)
                return (*sensors)[i];
        return nullptr;
    }

    static std::string Text(TemperatureSensor* sensor)
    {
        char text[kScaledTemperatureTextSize];
        sensor->GetSensorTemperatureAsString(text);
        return text;
    }

    SysfsFixture sysfs;
};

}

// A channel stuck in the kernel for good and one that takes three times the bound of a sample: every other
// channel samples every round; the stuck one shows "n/a" and records nothing, the slow one keeps its last good
// value and never has two reads out. A source that stops answering shows "n/a" once it has been silent too long,
// and one that never reads a valid value shows "n/a" everywhere. Quitting does not wait for the stuck read.
TEST_F(Sampling_, BlockedAndSlowChannelsHoldNoOther)
{
    auto chip = sysfs.AddChip(0).Name("nct6798").Device("platform/nct6775.656");
    chip.Temp(1, 40000, "SYSTIN").Temp(2, 0, "hung").BlockingInput(2).Temp(3, 45000, "slow");
    chip.Temp(4, -128000, "AUXTIN"); // the chip's "nothing connected"
    sSlowInput = std::filesystem::canonical(chip.File(3, "input")).string();
    sMostSlowReadsAtOnce = 0;
    SysfsFile::SetPreadForTesting(DawdlingPread);
    FixturePlatform platform(FixturePlatform::OnSysfs { sysfs.Root() });
    Preferences::Get()->SetTemperatureScale(kScaleCelsius);

    ASSERT_EQ(SensorMaster::Get()->GetSensorCount(), 4) << "a channel that blocks is found all the same";
    ASSERT_EQ(RunRounds(6), 6) << "the rounds go on";
    TemperatureSensor* steady = Sensor("nct6798 SYSTIN");
    TemperatureSensor* hung = Sensor("nct6798 hung");
    TemperatureSensor* slow = Sensor("nct6798 slow");
    TemperatureSensor* absent = Sensor("nct6798 AUXTIN");
    EXPECT_EQ(steady->GetSTTempArray()->GetCount(), 6) << "a sample each round";
    EXPECT_EQ(slow->GetSTTempArray()->GetCount(), 5) << "the last good value stands while a read is out";
    EXPECT_EQ(sMostSlowReadsAtOnce, 1);
    for (TemperatureSensor* none : { hung, absent }) {
        EXPECT_EQ(Text(none), "n/a");
        EXPECT_EQ(none->GetSTTempArray()->GetCount(), 0);
        EXPECT_FALSE(none->HasRecordedRange());
    }
    // The record and the export know nothing of a sensor that never read.
    std::string record = EmailDialog::ComposeMessage();
    EXPECT_NE(record.find("Sensor:nct6798 SYSTIN"), std::string::npos);
    EXPECT_EQ(record.find("AUXTIN"), std::string::npos);

    // Gone silent: the last good value for the silence's length, then "n/a" and no more samples.
    chip.Attribute(1, "input", "no reading\n");
    RunRounds(2);
    EXPECT_EQ(Text(steady), "40C");
    RunRounds(4);
    EXPECT_EQ(Text(steady), "n/a");
    int silent = steady->GetSTTempArray()->GetCount();
    RunRounds(1);
    EXPECT_EQ(steady->GetSTTempArray()->GetCount(), silent);

    EXPECT_GE(SensorMaster::Get()->CountReadsOut(), 1u) << "the hung channel's read";
    SensorMaster::Get()->TerminateAndSaveData();
    chip.ReleaseInput(2);
}

// The same hardware keeps its index and history when a chip that sorts first is added between launches, and a
// chip added while the program runs is found without a restart; gone and back, it is the same sensor. A
// graphics card that sleeps is not read (reading would wake it): its sensor reads "asleep" and records nothing.
TEST_F(Sampling_, SensorsKeepTheirIdentityAsHardwareComesAndGoes)
{
    SysfsFile::SetPreadForTesting(GoneFilesFailPread);
    sysfs.AddChip(0).Name("acpitz").Device("LNXSYSTM:00/LNXTHERM:00").Temp(1, 30000);
    sysfs.AddChip(1).Name("nvme").Device("pci0000:00/0000:00:1d.0/nvme/nvme0").Temp(1, 38000, "Composite");
    TemporaryFolder firstLaunch;
    {
        FixturePlatform platform(FixturePlatform::OnSysfs { sysfs.Root() });
        ASSERT_EQ(RunRounds(1), 1);
        SensorMaster::Get()->TerminateAndSaveData();
        std::filesystem::copy(platform.ProgramFolder(), firstLaunch.Path(), std::filesystem::copy_options::recursive);
    }
    // A graphics card (asleep) and a second drive, both on devices that sort before the first drive's.
    std::string gpu = "pci0000:00/0000:00:01.0/0000:01:00.0";
    auto card = sysfs.AddChip(2).Name("amdgpu").Device(gpu).Temp(1, 0, "edge").BlockingInput(1);
    sysfs.Write("sys/devices/" + gpu + "/class", "0x030000\n");
    sysfs.Write("sys/devices/" + gpu + "/power/runtime_status", "suspended\n");
    sysfs.AddChip(3).Name("nvme").Device("pci0000:00/0000:00:1c.0/nvme/nvme1").Temp(1, 41000, "Composite");

    FixturePlatform platform(FixturePlatform::OnSysfs { sysfs.Root() });
    // The first launch's files sit where this one looks for them.
    TestFiles::MakeFolder(platform.ProgramFolder());
    std::filesystem::copy(firstLaunch.Path(), platform.ProgramFolder(), std::filesystem::copy_options::recursive);
    SensorMaster* master = SensorMaster::Get();
    ASSERT_EQ(RunRounds(2), 2);
    std::vector<std::tuple<int, std::string, size_t>> found;
    for (ArrayIndexT i = 1; i <= master->GetSensorCount(); ++i) {
        TemperatureSensor* sensor = (*master->GetSensorArray())[i];
        found.emplace_back(sensor->GetSensorIndex(), sensor->GetSensorName(), sensor->GetLTTempArray()->GetCount());
    }
    EXPECT_EQ(found,
        (std::vector<std::tuple<int, std::string, size_t>> { { 1, "acpitz temp1", 2 }, { 2, "nvme Composite", 2 },
            { 3, "amdgpu edge", 0 }, { 4, "nvme Composite 2", 1 } }))
        << "the first launch's histories go on; the new hardware is new";
    TemperatureSensor* edge = Sensor("amdgpu edge");
    EXPECT_EQ(Text(edge), "asleep");
    EXPECT_EQ(master->CountReadsOut(), 0u) << "the sleeping card's input was never opened";
    // Awake, the card answers (its pipe, which would have held a read for good, gives way to the value).
    std::filesystem::remove(card.File(1, "input"));
    card.Attribute(1, "input", "52000\n");
    sysfs.Write("sys/devices/" + gpu + "/power/runtime_status", "active\n");
    RunRounds(1);
    EXPECT_EQ(edge->GetCurrentReading(), FixturePlatform::Fixed16(52));

    // A chip added while running joins within a round or two; taken away and back, it is the same sensor.
    struct Added : LListener {
        void ListenToMessage(MessageT message, void*) override { count += message == msg_SensorsAdded; }
        int count = 0;
    } added;
    master->AddListener(&added);
    auto drive = sysfs.AddChip(7).Name("drivetemp").Device("pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0");
    drive.Temp(1, 33000);
    for (int round = 0; round < 3 && added.count == 0; ++round)
        RunRounds(1);
    ASSERT_EQ(added.count, 1);
    TemperatureSensor* sata = Sensor("drivetemp temp1");
    ASSERT_NE(sata, nullptr);
    EXPECT_EQ(sata->GetSensorIndex(), 5);
    std::filesystem::remove_all(drive.Folder());
    RunRounds(5);
    EXPECT_EQ(Text(sata), "n/a") << "silent once its chip went";
    auto back = sysfs.AddChip(9).Name("drivetemp").Device("pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0");
    back.Temp(1, 34000);
    RunRounds(3);
    EXPECT_EQ(master->GetSensorCount(), 5) << "the same sensor";
    EXPECT_EQ(sata->GetCurrentReading(), FixturePlatform::Fixed16(34));
    master->RemoveListener(&added);
}
