#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

std::vector<int32_t> Readings(TempElementArray* history)
{
    std::vector<int32_t> readings;
    for (ArrayIndexT i = 1; i <= history->GetCount(); ++i)
        readings.push_back((*history)[i]->GetRawTemperature());
    return readings;
}

}

TEST(SensorHistory, FirstSampleEntersBothHistoriesAndEveryTwelfthTheLongTerm)
{
    FixturePlatform platform;
    platform.Processors().SetReadings({ 40 });
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    EXPECT_EQ(Readings(sensor.GetSTTempArray()), std::vector<int32_t>({ 40 }));
    EXPECT_EQ(Readings(sensor.GetLTTempArray()), std::vector<int32_t>({ 40 }));
    EXPECT_TRUE(sensor.IsIdling());

    for (int32_t n = 1; n <= 12; ++n) {
        platform.Processors().SetReadings({ 40 + n });
        EXPECT_EQ(sensor.CreateNewEvent(), n + 1);
    }
    // Counters 0 and 12 went into the long-term history, newest first.
    EXPECT_EQ(Readings(sensor.GetLTTempArray()), std::vector<int32_t>({ 52, 40 }));
    EXPECT_EQ(sensor.GetSTTempArray()->GetCount(), 13);
    EXPECT_EQ(Readings(sensor.GetSTTempArray()).front(), 52);
}

TEST(SensorHistory, ShortTermKeepsTheNewest500)
{
    FixturePlatform platform;
    platform.Processors().SetReadings({ 0 });
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    for (int32_t n = 1; n <= 500; ++n) {
        platform.Processors().SetReadings({ n });
        sensor.CreateNewEvent();
    }
    // Sample 0, the oldest, is gone; the rest are in order, newest first.
    std::vector<int32_t> newestFirst(500);
    for (size_t i = 0; i < newestFirst.size(); ++i)
        newestFirst[i] = static_cast<int32_t>(500 - i);
    EXPECT_EQ(Readings(sensor.GetSTTempArray()), newestFirst);
}

// A file may hold more samples than a history keeps (no limit is enforced while reading): the surplus goes
// at the first sample.
TEST(SensorHistory, LongTermKeepsTheNewest15000AndALongerFileIsCutAtTheFirstSample)
{
    FixturePlatform platform;
    std::vector<int32_t> stored(15000);
    for (size_t i = 0; i < stored.size(); ++i)
        stored[i] = static_cast<int32_t>(20000 - i);
    std::vector<uint8_t> file = TestFiles::BigEndian32({ 3, 0, 0, 15000 });
    std::vector<uint8_t> samples = TestFiles::BigEndian32(stored);
    file.insert(file.end(), samples.begin(), samples.end());
    std::vector<int32_t> shortTerm(600);
    for (size_t i = 0; i < shortTerm.size(); ++i)
        shortTerm[i] = static_cast<int32_t>(900 - i);
    shortTerm.insert(shortTerm.begin(), 600);
    std::vector<uint8_t> tail = TestFiles::BigEndian32(shortTerm);
    file.insert(file.end(), tail.begin(), tail.end());
    TestFiles::WriteBytes(platform.ProgramFolder() + "/01 CPU temperature", file);

    platform.Processors().SetReadings({ 7 });
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    std::vector<int32_t> longTerm = Readings(sensor.GetLTTempArray());
    ASSERT_EQ(longTerm.size(), 15000u);
    EXPECT_EQ(longTerm.front(), 7);
    EXPECT_EQ(longTerm.back(), 20000 - 14998);
    std::vector<int32_t> kept = Readings(sensor.GetSTTempArray());
    ASSERT_EQ(kept.size(), 500u);
    EXPECT_EQ(kept.front(), 7);
    EXPECT_EQ(kept[1], 900);
    EXPECT_EQ(kept.back(), 900 - 498);
}

TEST(SensorHistory, TimerSamplesEveryFiveSeconds)
{
    FixturePlatform platform;
    platform.Processors().SetReadings({ 40 });
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    // The framework calls SpendTime at every firing; one call is one sample.
    sensor.SpendTime(EventRecord {});
    EXPECT_EQ(sensor.GetSampleCounter(), 2);
    EXPECT_EQ(sensor.GetSTTempArray()->GetCount(), 2);
}

// A package read that fails (-1 from the kernel) is not a temperature of -1 C: the last good value stands,
// and the minimum is not spoiled. A package that cannot be read at all yet records nothing until it can.
TEST(SensorHistory, AFailedPackageReadKeepsTheLastGoodValue)
{
    FixturePlatform platform;
    const int32_t unreadable = FixtureProcessorTemperatures::kUnreadable;
    platform.Processors().SetReadings({ 50, unreadable });
    TemperatureSensor reading(0, kSensorTypeProcessor, 1);
    TemperatureSensor late(1, kSensorTypeProcessor, 2);
    EXPECT_EQ(late.GetSTTempArray()->GetCount(), 0) << "no sample before the first reading";

    // The readings of both packages, and the two histories after the sample.
    const std::tuple<std::vector<int32_t>, std::vector<int32_t>, std::vector<int32_t>> steps[] = {
        { { unreadable, unreadable }, { 50, 50 }, {} },
        { { 48, 60 }, { 48, 50, 50 }, { 60 } },
        { { unreadable, unreadable }, { 48, 48, 50, 50 }, { 60, 60 } },
    };
    for (const auto& [readings, first, second] : steps) {
        platform.Processors().SetReadings(readings);
        reading.CreateNewEvent();
        late.CreateNewEvent();
        EXPECT_EQ(Readings(reading.GetSTTempArray()), first);
        EXPECT_EQ(Readings(late.GetSTTempArray()), second);
    }
    EXPECT_EQ(reading.GetRawMinimumReading(), 48);
    EXPECT_EQ(late.GetRawMinimumReading(), 60);
    EXPECT_EQ(late.GetRawMaximumReading(), 61);
    EXPECT_EQ(late.GetSampleCounter(), 4) << "the long-term history's clock ran on";
}
