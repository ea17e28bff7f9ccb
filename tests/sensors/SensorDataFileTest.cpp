#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Concat(std::initializer_list<std::vector<int32_t>> parts)
{
    std::vector<uint8_t> bytes;
    for (const auto& part : parts) {
        auto more = TestFiles::BigEndian32(part);
        bytes.insert(bytes.end(), more.begin(), more.end());
    }
    return bytes;
}

class SensorDataFile : public ::testing::Test {
protected:
    std::string File(const std::string& name) { return platform.ProgramFolder() + "/" + name; }
    FixturePlatform platform;
};

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
    EXPECT_EQ(TestFiles::ReadBytes(File("04 CPU temperature")), Concat({ { 3, 38, 41, 1, 40, 2, 38, 40 } }));
}

TEST_F(SensorDataFile, RunsConcatenateAcrossLaunches)
{
    platform.Processors().SetReadings({ 40 });
    {
        TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    }
    platform.Processors().SetReadings({ 45 });
    {
        TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
        EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), 2);
        // The loaded long-term samples set the range; the new reading widens it.
        EXPECT_EQ(sensor.GetRawMinimumReading(), 40);
        EXPECT_EQ(sensor.GetRawMaximumReading(), 45);
    }
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature")), Concat({ { 3, 40, 45, 2, 45, 40, 2, 45, 40 } }));
}

TEST_F(SensorDataFile, StoredRangeStandsOnlyWithoutLongTermSamples)
{
    TestFiles::WriteBytes(File("01 CPU temperature"), Concat({ { 3, 20, 80, 0, 1, 33 } }));
    platform.Processors().SetReadings({ 50 });
    TemperatureSensor kept(0, kSensorTypeProcessor, 1);
    EXPECT_EQ(kept.GetRawMinimumReading(), 20);
    EXPECT_EQ(kept.GetRawMaximumReading(), 80);
    EXPECT_EQ(kept.GetSTTempArray()->GetCount(), 2);

    TestFiles::WriteBytes(File("02 CPU temperature"), Concat({ { 3, 20, 80, 2, 44, 46, 0 } }));
    TemperatureSensor replaced(0, kSensorTypeProcessor, 2);
    EXPECT_EQ(replaced.GetRawMinimumReading(), 44);
    EXPECT_EQ(replaced.GetRawMaximumReading(), 50);
}

TEST_F(SensorDataFile, ReadsVersion2WithoutShortTerm)
{
    TestFiles::WriteBytes(File("01 CPU temperature"), Concat({ { 2, 2, 10, 90, 41, 42 } }));
    platform.Processors().SetReadings({ 43 });
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), 3);
    EXPECT_EQ(sensor.GetSTTempArray()->GetCount(), 1); // only this run's first sample
    EXPECT_EQ(sensor.GetRawMinimumReading(), 41);
    EXPECT_EQ(sensor.GetRawMaximumReading(), 43);
}

TEST_F(SensorDataFile, UnknownVersionIsIgnoredAndOverwritten)
{
    TestFiles::WriteBytes(File("01 CPU temperature"), Concat({ { 4, 10, 90, 1, 50 } }));
    platform.Processors().SetReadings({ 43 });
    {
        TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
        EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), 1);
        EXPECT_EQ(sensor.GetRawMinimumReading(), 43);
    }
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature")), Concat({ { 3, 43, 44, 1, 43, 1, 43 } }));
}

// Regression: a file cut short (a crash while it was written by an older version) must neither stop the
// program nor be overwritten.
TEST_F(SensorDataFile, TruncatedFileIsSetAsideAndTheSensorStartsEmpty)
{
    std::vector<uint8_t> truncated = Concat({ { 3, 10, 90, 5, 41, 42 } });
    TestFiles::WriteBytes(File("01 CPU temperature"), truncated);
    platform.Processors().SetReadings({ 43 });
    testing::internal::CaptureStderr();
    {
        TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
        EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), 1);
        EXPECT_EQ(sensor.GetRawMinimumReading(), 43);
        EXPECT_EQ(sensor.GetRawMaximumReading(), 44);
    }
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("damaged"), std::string::npos) << message;
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature.damaged")), truncated);
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature")), Concat({ { 3, 43, 44, 1, 43, 1, 43 } }));

    // A second damaged file does not replace the first one set aside.
    TestFiles::WriteBytes(File("01 CPU temperature"), { 0, 0, 0 });
    testing::internal::CaptureStderr();
    {
        TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    }
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature.damaged")), truncated);
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature.damaged 2")), std::vector<uint8_t>({ 0, 0, 0 }));
}

TEST_F(SensorDataFile, HugeCountIsDamageNotAnAllocation)
{
    TestFiles::WriteBytes(File("01 CPU temperature"), Concat({ { 3, 10, 90, 0x7FFFFFFF, 41 } }));
    platform.Processors().SetReadings({ 43 });
    testing::internal::CaptureStderr();
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), 1);
    EXPECT_TRUE(TestFiles::Exists(File("01 CPU temperature.damaged")));
}

TEST_F(SensorDataFile, FileNamesStayInTheProgramFolder)
{
    struct Case {
        const char* location;
        int16_t index;
        const char* fileName;
    };
    const Case cases[] = {
        { "Board", 3, "03 Board" },
        { "../../etc/passwd", 4, "04 ..:..:etc:passwd" },
        { "A very long sensor name that goes on and on", 5, "05 A very long sensor name that" },
        // The 31-byte cut never splits a character: "é" is two bytes and would straddle byte 31.
        { "abcdefghijklmnopqrstuvwxyz0\u00E9t\u00E9", 6, "06 abcdefghijklmnopqrstuvwxyz0" },
        { "", 12, "12 " },
        { "x", 123, "123 x" },
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.location);
        auto entry = platform.AddTempSensor(row.location, 40);
        TemperatureSensor sensor(entry, kSensorTypeRegistry, row.index);
        Str255 name;
        sensor.GetDatafileName(name);
        EXPECT_EQ(Str255ToString(name), row.fileName);
        EXPECT_EQ(sensor.GetDatafilePath(), File(row.fileName));
    }
}

TEST_F(SensorDataFile, ANewIndexLeavesTheOldFileAlone)
{
    auto entry = platform.AddTempSensor("Board", 40);
    {
        TemperatureSensor sensor(entry, kSensorTypeRegistry, 2);
    }
    std::vector<uint8_t> before = TestFiles::ReadBytes(File("02 Board"));
    {
        TemperatureSensor sensor(entry, kSensorTypeRegistry, 1);
        EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), 1);
    }
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
    std::vector<uint8_t> saved = TestFiles::ReadBytes(File("01 CPU temperature"));
    // 120 samples: counters 0 to 108 gave 10 long-term samples.
    EXPECT_EQ(saved.size(), 20u + 4 * (10 + 120));
    // Only the file itself is left behind: no temporary file.
    EXPECT_EQ(TestFiles::List(platform.ProgramFolder()), std::vector<std::string>({ "01 CPU temperature" }));
}

TEST_F(SensorDataFile, ResetEmptiesTheHistoriesButKeepsTheRange)
{
    platform.Processors().SetReadings({ 40 });
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    sensor.ResetData();
    EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), 0);
    EXPECT_EQ(sensor.GetSTTempArray()->GetCount(), 0);
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature")), Concat({ { 3, 40, 41, 0, 0 } }));
}
