#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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

// What a sensor reading 43 makes of the file it finds: the histories (this run's first sample included),
// the range, and the file it leaves at quit.
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
        TestFiles::WriteBytes(File("01 CPU temperature"), Concat({ row.file }));
        TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
        EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), row.longTerm);
        EXPECT_EQ(sensor.GetSTTempArray()->GetCount(), row.shortTerm);
        EXPECT_EQ(sensor.GetRawMinimumReading(), row.minimum);
        EXPECT_EQ(sensor.GetRawMaximumReading(), row.maximum);
    }
    // The last one was written again in version 3.
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature")), Concat({ { 3, 41, 43, 3, 43, 41, 42, 1, 43 } }));
}

// Regression: a save cut short by a crash or a power cut leaves its temporary file (the file's name, a dot
// and six letters or digits) beside the whole file; the next start removes it, and nothing else.
TEST_F(SensorDataFile, TheNextStartRemovesWhatAnInterruptedSaveLeftBehind)
{
    std::vector<std::string> kept = { "01 CPU temperature", "01 CPU temperature.12345", "01 CPU temperature.ab-def",
        "01 CPU temperature.damaged", "02 CPU temperature.a1B2c3", "Kelvara Preferences.Zz9Yy8" };
    for (const std::string& name : kept)
        TestFiles::WriteBytes(File(name), Concat({ { 3, 40, 41, 0, 0 } }));
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

// When not even a copy can be made (here: every name a copy could take is taken), the file stays as it was
// found, unwritten until the next launch, and the message says so.
TEST_F(SensorDataFile, AnUnusableFileThatCannotBeSetAsideIsNotWritten)
{
    TestFiles::Write(File("01 CPU temperature.damaged"), "");
    for (int copy = 2; copy <= 1000; ++copy)
        TestFiles::Write(File("01 CPU temperature.damaged " + std::to_string(copy)), "");
    std::vector<uint8_t> cut = Concat({ { 3, 10, 90, 5, 41 } });
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
