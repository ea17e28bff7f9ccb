// Thirty days of sampling, every 5-second tick, through twelve sensors with their 10-minute checkpoints:
// the histories end full and no fuller, the files read back as they were, and the heap holds what the
// histories need and no more, however long the program runs.
#include "framework/LFileStream.h"
#include "sensors/SensorDataRecord.h"
#include "sensors/SensorMaster.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <malloc.h>
#include <optional>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// Declared here rather than through <sanitizer/allocator_interface.h>, which GCC does not ship.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

constexpr int32_t kSensors = 12;
constexpr int32_t kTicksPerDay = 24 * 60 * 12;
#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer allocations cost more: 12 days fill both histories and run two more days full.
constexpr int32_t kDays = 12;
#else
constexpr int32_t kDays = 30;
#endif
// The long-term history is full after 15000 minutes, a little over ten days and a third.
constexpr int32_t kFullAfterDays = 11;

size_t HeapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

// The program's folder in memory where the machine offers that: 4320 checkpoints write 12 files each.
struct TemporaryFolderInMemory {
    TemporaryFolderInMemory()
    {
        if (::access("/dev/shm", W_OK) == 0)
            ::setenv("TMPDIR", "/dev/shm", 1);
    }
    ~TemporaryFolderInMemory() { old.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", old.c_str(), 1); }
    std::string old = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
};

std::vector<int32_t> Readings(TempElementArray* history)
{
    std::vector<int32_t> readings;
    for (ArrayIndexT i = 1; i <= history->GetCount(); ++i)
        readings.push_back((*history)[i]->GetRawTemperature());
    return readings;
}

}

TEST(SimulatedMonth, HistoriesStayFullAndTheHeapHoldsWhatTheyNeed)
{
    TemporaryFolderInMemory inMemory;
    FixturePlatform platform;
    std::vector<SensorRegistry::EntryID> entries;
    for (int32_t n = 1; n <= kSensors; ++n)
        entries.push_back(platform.AddTempSensor("Sensor " + std::to_string(n), 30 + n));

    size_t before = HeapInUse();
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    ASSERT_EQ(sensors->GetCount(), kSensors);
    std::optional<size_t> whenFull;
    for (int32_t day = 1; day <= kDays; ++day) {
        for (int32_t tick = 0; tick < kTicksPerDay; ++tick) {
            // Readings wander by a degree or two over the hour, each sensor on its own level.
            if (tick % 12 == 0) {
                for (int32_t n = 0; n < kSensors; ++n)
                    platform.Registry().SetProperty(entries[static_cast<size_t>(n)], "current-value",
                        FixturePlatform::Fixed16(30 + n + (tick / 12 + n) % 60 / 30.0));
            }
            for (ArrayIndexT i = 1; i <= kSensors; ++i)
                Sampling::SampleNow(*(*sensors)[i]);
            if ((tick + 1) % SensorMaster::kRoundsBetweenSaves == 0)
                SensorMaster::Get()->SaveInBackground();
            platform.Clock().Advance(5);
        }
        if (day == kFullAfterDays) {
            SensorMaster::Get()->WaitForSaves();
            whenFull = HeapInUse();
        }
    }

    SensorMaster::Get()->WaitForSaves();
    size_t after = HeapInUse();
    std::vector<std::vector<int32_t>> longTerm, shortTerm;
    for (ArrayIndexT i = 1; i <= kSensors; ++i) { // full, and no fuller
        longTerm.push_back(Readings((*sensors)[i]->GetLTTempArray()));
        shortTerm.push_back(Readings((*sensors)[i]->GetSTTempArray()));
        EXPECT_EQ(longTerm.back().size(), size_t { TemperatureSensor::kLongTermCapacity });
        EXPECT_EQ(shortTerm.back().size(), size_t { TemperatureSensor::kShortTermCapacity });
    }
    // A sample is a pointer and a small heap block, arrays up to twice their items; nothing else grows.
    constexpr size_t kBytesPerSample = 8 + 48;
    constexpr size_t kSamples = TemperatureSensor::kLongTermCapacity + TemperatureSensor::kShortTermCapacity;
    EXPECT_LT(after - before, kSensors * kSamples * (kBytesPerSample + 8) + (1 << 20));
    ASSERT_TRUE(whenFull);
    EXPECT_LT(static_cast<int64_t>(after) - static_cast<int64_t>(*whenFull), 64 * 1024)
        << "the heap grew after the histories were full";

    // The files read back as the histories were at quit.
    SensorMaster::Get()->TerminateAndSaveData();
    for (int32_t n = 1; n <= kSensors; ++n) {
        SCOPED_TRACE(n);
        char name[32];
        std::snprintf(name, sizeof name, "%02d Sensor %d", n, n);
        LFileStream file;
        file.OpenForReading(platform.ProgramFolder() + "/" + name, TemperatureSensor::kMostDataFileBytes);
        SensorDataRecord record = SensorDataRecord::Read(file);
        EXPECT_EQ(record.longTerm, longTerm[static_cast<size_t>(n - 1)]);
        EXPECT_EQ(record.shortTerm, shortTerm[static_cast<size_t>(n - 1)]);
    }
}
