#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace {

std::vector<int32_t> Readings(TempElementArray* history)
{
    std::vector<int32_t> readings;
    for (ArrayIndexT i = 1; i <= history->GetCount(); ++i)
        readings.push_back((*history)[i]->GetRawTemperature());
    return readings;
}

// first, then count values counting down from from.
std::vector<int32_t> Countdown(std::vector<int32_t> first, int32_t from, int32_t count)
{
    for (int32_t n = 0; n < count; ++n)
        first.push_back(from - n);
    return first;
}

class SensorDataFile : public ::testing::Test {
protected:
    std::string File(const std::string& name) { return platform.ProgramFolder() + "/" + name; }
    FixturePlatform platform;
};
class SensorHistory : public SensorDataFile { };

}

TEST_F(SensorHistory, FirstSampleEntersBothEveryTwelfthTheLongTermAndTheShortTermKeepsTheNewest500)
{
    platform.Processors().SetReadings({ 40 });
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    EXPECT_EQ(Readings(sensor.GetSTTempArray()), std::vector<int32_t>({ 40 }));
    EXPECT_EQ(Readings(sensor.GetLTTempArray()), std::vector<int32_t>({ 40 }));
    EXPECT_TRUE(sensor.IsIdling());
    // The framework calls SpendTime at every timer firing: one call is one sample.
    platform.Processors().SetReadings({ 41 });
    sensor.SpendTime(EventRecord {});
    EXPECT_EQ(sensor.GetSampleCounter(), 2);
    for (int32_t n = 2; n <= 500; ++n) {
        platform.Processors().SetReadings({ 40 + n });
        ASSERT_EQ(sensor.CreateNewEvent(), n + 1);
        if (n == 12) { // counters 0 and 12 went into the long-term history, newest first
            EXPECT_EQ(Readings(sensor.GetLTTempArray()), std::vector<int32_t>({ 52, 40 }));
            EXPECT_EQ(Readings(sensor.GetSTTempArray()), Countdown({}, 52, 13));
        }
    }
    EXPECT_EQ(Readings(sensor.GetSTTempArray()), Countdown({}, 540, 500)) << "the oldest sample is gone";
}

// A file may hold more samples than a history keeps: the surplus goes at the first sample.
TEST_F(SensorHistory, LongTermKeepsTheNewest15000AndALongerFileIsCutAtTheFirstSample)
{
    std::vector<int32_t> file = Countdown(Countdown({ 3, 0, 0, 15000 }, 20000, 15000), 600, 1);
    TestFiles::WriteBytes(File("01 CPU temperature"), TestFiles::BigEndian32(Countdown(file, 900, 600)));
    platform.Processors().SetReadings({ 7 });
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    EXPECT_EQ(Readings(sensor.GetLTTempArray()), Countdown({ 7 }, 20000, 14999));
    EXPECT_EQ(Readings(sensor.GetSTTempArray()), Countdown({ 7 }, 900, 499));
}

// A package read that fails (-1 from the kernel) is not a temperature of -1 C: the last good value stands,
// and the minimum is not spoiled. A package that cannot be read at all yet records nothing until it can.
TEST_F(SensorHistory, AFailedPackageReadKeepsTheLastGoodValue)
{
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

TEST_F(SensorDataFile, WritesVersion3NewestFirst)
{
    platform.Processors().SetReadings({ 40 });
    {
        TemperatureSensor sensor(0, kSensorTypeProcessor, 4);
        platform.Processors().SetReadings({ 38 });
        sensor.CreateNewEvent();
    }
    // Version, minimum, maximum, the long-term count and samples, the short-term count and samples.
    EXPECT_EQ(
        TestFiles::ReadBytes(File("04 CPU temperature")), TestFiles::BigEndian32({ 3, 38, 41, 1, 40, 2, 38, 40 }));
}

// The histories and range a sensor reading 43 makes of the file it finds, and the file it leaves.
TEST_F(SensorDataFile, LoadingFollowsTheFilesVersion)
{
    const struct {
        const char* name;
        std::vector<int32_t> file;
        int32_t longTerm, shortTerm, minimum, maximum;
    } cases[] = {
        { "stored range stands without long-term samples", { 3, 20, 80, 0, 1, 33 }, 1, 2, 20, 80 },
        { "long-term samples replace the stored range", { 3, 20, 80, 2, 44, 46, 0 }, 3, 1, 43, 46 },
        { "version 2 has no short-term part", { 2, 2, 10, 90, 41, 42 }, 3, 1, 41, 43 },
    };
    platform.Processors().SetReadings({ 43 });
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        TestFiles::WriteBytes(File("01 CPU temperature"), TestFiles::BigEndian32(row.file));
        TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
        EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), row.longTerm);
        EXPECT_EQ(sensor.GetSTTempArray()->GetCount(), row.shortTerm);
        EXPECT_EQ(sensor.GetRawMinimumReading(), row.minimum);
        EXPECT_EQ(sensor.GetRawMaximumReading(), row.maximum);
    }
    // The last one was written again in version 3.
    EXPECT_EQ(
        TestFiles::ReadBytes(File("01 CPU temperature")), TestFiles::BigEndian32({ 3, 41, 43, 3, 43, 41, 42, 1, 43 }));
}

// Regression: a save cut short by a crash or a power cut leaves its temporary file (the file's name, a dot
// and six letters or digits) beside the whole file; the next start removes it, and nothing else.
TEST_F(SensorDataFile, TheNextStartRemovesWhatAnInterruptedSaveLeftBehind)
{
    std::vector<std::string> kept = { "01 CPU temperature", "01 CPU temperature.12345", "01 CPU temperature.ab-def",
        "01 CPU temperature.damaged", "02 CPU temperature.a1B2c3", "Kelvara Preferences.Zz9Yy8" };
    for (const std::string& name : kept)
        TestFiles::WriteBytes(File(name), TestFiles::BigEndian32({ 3, 40, 41, 0, 0 }));
    TestFiles::WriteBytes(File("01 CPU temperature.a1B2c3"), { 0, 0, 0, 3, 0 });
    TestFiles::MakeFolder(File("01 CPU temperature.ABCDEF"));
    platform.Processors().SetReadings({ 40 });
    testing::internal::CaptureStderr();
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("01 CPU temperature.a1B2c3"), std::string::npos);
    kept.push_back("01 CPU temperature.ABCDEF");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(TestFiles::List(platform.ProgramFolder()), kept);
}

// With every name a copy could take taken, the file is left as found, and the message says so.
TEST_F(SensorDataFile, AnUnusableFileThatCannotBeSetAsideIsNotWritten)
{
    TestFiles::Write(File("01 CPU temperature.damaged"), "");
    for (int copy = 2; copy <= 1000; ++copy)
        TestFiles::Write(File("01 CPU temperature.damaged " + std::to_string(copy)), "");
    std::vector<uint8_t> cut = TestFiles::BigEndian32({ 3, 10, 90, 5, 41 });
    platform.Processors().SetReadings({ 43 });
    for (bool unreadable : { false, true }) {
        SCOPED_TRACE(unreadable);
        std::filesystem::remove_all(File("01 CPU temperature"));
        if (unreadable)
            TestFiles::MakeFolder(File("01 CPU temperature"));
        else
            TestFiles::WriteBytes(File("01 CPU temperature"), cut);
        testing::internal::CaptureStderr();
        {
            TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
            EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), 1);
            for (int n = 0; n < TemperatureSensor::kSamplesBetweenSaves; ++n)
                sensor.CreateNewEvent();
        }
        std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("not written"), std::string::npos) << message;
        if (unreadable)
            EXPECT_TRUE(std::filesystem::is_directory(File("01 CPU temperature")));
        else
            EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature")), cut);
    }
}

TEST_F(SensorDataFile, FileNamesStayInTheProgramFolder)
{
    const struct {
        const char* location;
        int16_t index;
        const char* fileName;
    } cases[] = {
        { "Board", 3, "03 Board" },
        { "../../etc/passwd", 4, "04 ..:..:etc:passwd" },
        { "A very long sensor name that goes on and on", 5, "05 A very long sensor name that" },
        // The 31-byte cut never splits a character: "é" is two bytes and would straddle byte 31.
        { "abcdefghijklmnopqrstuvwxyz0\u00E9t\u00E9", 6, "06 abcdefghijklmnopqrstuvwxyz0" },
        { "", 12, "12 " },
        { "x", 123, "123 x" },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.location);
        TemperatureSensor sensor(platform.AddTempSensor(row.location, 40), kSensorTypeRegistry, row.index);
        EXPECT_EQ(sensor.GetDatafilePath(), File(row.fileName));
    }
}

TEST_F(SensorDataFile, ANewIndexLeavesTheOldFileAlone)
{
    auto entry = platform.AddTempSensor("Board", 40);
    TemperatureSensor(entry, kSensorTypeRegistry, 2);
    std::vector<uint8_t> before = TestFiles::ReadBytes(File("02 Board"));
    EXPECT_EQ(TemperatureSensor(entry, kSensorTypeRegistry, 1).GetLTTempArray()->GetCount(), 1);
    EXPECT_EQ(TestFiles::ReadBytes(File("02 Board")), before);
}

TEST_F(SensorDataFile, SavedEveryTenMinutesWhileRunning)
{
    platform.Processors().SetReadings({ 40 });
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    for (int n = 1; n < TemperatureSensor::kSamplesBetweenSaves - 1; ++n)
        sensor.CreateNewEvent();
    EXPECT_FALSE(TestFiles::Exists(File("01 CPU temperature")));
    sensor.CreateNewEvent();
    // 120 samples: counters 0 to 108 gave 10 long-term samples. No temporary file is left behind.
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature")).size(), 20u + 4 * (10 + 120));
    EXPECT_EQ(TestFiles::List(platform.ProgramFolder()), std::vector<std::string>({ "01 CPU temperature" }));
}

TEST_F(SensorDataFile, ResetEmptiesTheHistoriesButKeepsTheRange)
{
    platform.Processors().SetReadings({ 40 });
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    sensor.ResetData();
    EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), 0);
    EXPECT_EQ(sensor.GetSTTempArray()->GetCount(), 0);
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature")), TestFiles::BigEndian32({ 3, 40, 41, 0, 0 }));
}
