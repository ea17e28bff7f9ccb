// Discovery of the machine's sensors, and each sensor's conversions, histories and data file.
#include "prefs/Preferences.h"
#include "sensors/SMCWrapper.h"
#include "sensors/SensorMaster.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"
#include "util/SharedUtils.h"
#include "util/TemperatureUnits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <tuple>

using Sampling::SampleNow;
using namespace std::string_literals;

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

// Each sensor's type, index and name.
using Found = std::tuple<int32_t, int16_t, std::string>;

std::vector<Found> Discover()
{
    std::vector<Found> found;
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i) {
        TemperatureSensor* sensor = (*sensors)[i];
        found.push_back({ sensor->GetSensorType(), sensor->GetSensorIndex(), sensor->GetSensorName() });
    }
    return found;
}

class SensorTest : public ::testing::Test {
protected:
    std::string File(const std::string& name) { return platform.ProgramFolder() + "/" + name; }
    FixturePlatform platform;
};

}

// Conversions do not read the source: a sensor of any type over an entry without a reading will do. The
// user's scale starts from the uncapped Celsius of the old chips that read whole degrees.
TEST_F(SensorTest, CelsiusFahrenheitAndTheUsersScaleByType)
{
    const std::tuple<const char*, int32_t, int32_t, int32_t, int32_t, int32_t> cases[] = {
        { "16.16 fraction dropped by rounding", kSensorTypeRegistry, FixturePlatform::Fixed16(42.25), 42, 107, 42 },
        // Today's hardware monitors report true temperatures: a GPU hot spot at 110 C is 110 C and 230 F.
        { "16.16 hot spot", kSensorTypeRegistry, FixturePlatform::Fixed16(110), 110, 230, 110 },
        { "whole degrees core capped", kSensorTypeCPUCore, 150, 100, 212, 150 },
        { "8.8 fraction truncated", kSensorTypeCPUFan, 12160, 47, 116, 47 },
        { "8.8 capped", kSensorTypeCPUFan, 120 << 8, 100, 212, 100 },
        { "8.8 negative", kSensorTypeCPUFan, -256, -1, 30, -1 },
        { "processor 110 is true", kSensorTypeProcessor, 110, 110, 230, 110 },
        // The mapping rounds halves away from zero and carries on below its range.
        { "diode rounds", kSensorTypeDiode, 511, 45, 113, 45 },
        { "diode below its range", kSensorTypeDiode, 0, -44, -47, -44 },
        // Far above the diode's range the mapping passes 99, so the raw value is read as 16.16 instead.
        { "diode as 16.16", kSensorTypeDiode, 50 << 16, 50, 122, 50 },
        { "diode capped", kSensorTypeDiode, 110 << 16, 100, 212, 100 },
        { "Maxim upper half", kSensorTypeMaxim, 0x00638000, 99, 210, 99 },
        { "Maxim upper half signed", kSensorTypeMaxim, static_cast<int32_t>(0xFFFF8000), -1, 30, -1 },
        { "Maxim capped", kSensorTypeMaxim, 120 << 16, 100, 212, 100 },
        { "SMC has no upper limit", kSensorTypeSMC, 130, 130, 266, 130 },
        { "unknown type unchanged", 9, 1234, 1234, 212, 1234 },
        { "no type unchanged", 0, 77, 77, 77, 77 },
    };
    Preferences::Get()->SetTemperatureScale(kScaleCelsius);
    for (auto [name, type, raw, celsius, fahrenheit, scaled] : cases) {
        SCOPED_TRACE(name);
        TemperatureSensor sensor(1000, type, 1);
        EXPECT_EQ(sensor.ConvertRawToCelcius(raw), celsius);
        EXPECT_EQ(sensor.ConvertRawToFahrenheit(raw), fahrenheit);
        EXPECT_EQ(sensor.ConvertRawToScaledTemp(raw), scaled);
    }
}

TEST_F(SensorTest, RegistryPropertiesOfTheWrongKindAreAbsent)
{
    auto entry = platform.AddTempSensor("Board", 40);
    platform.Registry().SetProperty(entry, "high-threshold", FixturePlatform::Fixed16(90));
    TemperatureSensor sensor(entry, kSensorTypeRegistry, 1);
    EXPECT_EQ(sensor.GetRawHighThreshold(), 90 << 16);
    EXPECT_EQ(TemperatureSensor(entry, kSensorTypeMaxim, 2).GetRawHighThreshold(), kNoThreshold);

    // Regression: a reading of the wrong kind counted as 0 C and spoiled the range; it is no reading.
    platform.Registry().SetProperty(entry, "current-value", std::string("hot"));
    TemperatureSensor wrong(entry, kSensorTypeRegistry, 3);
    SampleNow(wrong);
    EXPECT_EQ(wrong.GetCurrentReading(), std::nullopt);
    EXPECT_FALSE(wrong.HasRecordedRange());
    EXPECT_EQ(wrong.GetSTTempArray()->GetCount(), 0);
}

// A package read that fails (-1 from the kernel) is not a temperature of -1 C: the last good value stands,
// and the minimum is not spoiled. A package that cannot be read at all yet records nothing until it can.
TEST_F(SensorTest, AFailedPackageReadKeepsTheLastGoodValue)
{
    const int32_t unreadable = FixtureProcessorTemperatures::kUnreadable;
    platform.Processors().SetReadings({ 50, unreadable });
    TemperatureSensor reading(0, kSensorTypeProcessor, 1);
    TemperatureSensor late(1, kSensorTypeProcessor, 2);
    // The readings of both packages, and the two histories after the sample.
    const std::tuple<std::vector<int32_t>, std::vector<int32_t>, std::vector<int32_t>> steps[] = {
        { { 50, unreadable }, { 50 }, {} },
        { { unreadable, unreadable }, { 50, 50 }, {} },
        { { 48, 60 }, { 48, 50, 50 }, { 60 } },
        { { unreadable, unreadable }, { 48, 48, 50, 50 }, { 60, 60 } },
    };
    for (const auto& [readings, first, second] : steps) {
        platform.Processors().SetReadings(readings);
        SampleNow(reading);
        SampleNow(late);
        EXPECT_EQ(Readings(reading.GetSTTempArray()), first);
        EXPECT_EQ(Readings(late.GetSTTempArray()), second);
    }
    EXPECT_EQ(reading.GetRawMinimumReading(), 48);
    EXPECT_EQ(late.GetRawMinimumReading(), 60);
    EXPECT_EQ(late.GetSampleCounter(), 4) << "the long-term history's clock ran on";
    // Percent of the recorded range, 48..51: a value below it is below 0, not cut at 0.
    EXPECT_EQ(reading.ConvertRawToPercent(50), 66);
    EXPECT_EQ(reading.ConvertRawToPercent(45), -100);
    // A processor outside the packages reads zero.
    platform.Processors().SetReadings({ 50 });
    EXPECT_EQ(
        std::make_tuple(GetProcessorTemp(0), GetProcessorTemp(1), GetProcessorTemp(-1)), std::make_tuple(50u, 0u, 0u));
}

// The histories and range a sensor reading 43 makes of the file it finds, and the file it leaves. A history
// keeps its newest samples: the surplus of a longer file goes at its first sample.
TEST_F(SensorTest, LoadingFollowsTheFilesVersion)
{
    // 15000 long-term samples counting down from 20000, then 600 short-term ones from 900.
    const std::vector<int32_t> full
        = Countdown(Countdown(Countdown({ 3, 0, 0, 15000 }, 20000, 15000), 600, 1), 900, 600);
    // The file, both histories after a sample, and the range.
    const std::tuple<const char*, std::vector<int32_t>, std::vector<int32_t>, std::vector<int32_t>, int32_t, int32_t>
        cases[] = {
            { "full histories", full, Countdown({ 43 }, 20000, 14999), Countdown({ 43 }, 900, 499), 43, 20000 },
            { "stored range stands without long-term samples", { 3, 20, 80, 0, 1, 33 }, { 43 }, { 43, 33 }, 20, 80 },
            { "long-term samples replace the stored range", { 3, 20, 80, 2, 44, 46, 0 }, { 43, 44, 46 }, { 43 }, 43,
                46 },
            { "version 2 has no short-term part", { 2, 2, 10, 90, 41, 42 }, { 43, 41, 42 }, { 43 }, 41, 43 },
        };
    platform.Processors().SetReadings({ 43 });
    for (const auto& [name, file, longTerm, shortTerm, minimum, maximum] : cases) {
        SCOPED_TRACE(name);
        TestFiles::WriteBytes(File("01 CPU temperature"), TestFiles::BigEndian32(file));
        TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
        SampleNow(sensor);
        EXPECT_EQ(Readings(sensor.GetLTTempArray()), longTerm);
        EXPECT_EQ(Readings(sensor.GetSTTempArray()), shortTerm);
        EXPECT_EQ(sensor.GetRawMinimumReading(), minimum);
        EXPECT_EQ(sensor.GetRawMaximumReading(), maximum);
    }
    // The last one was written again in version 3: version, range, then each history's count and samples,
    // newest first.
    EXPECT_EQ(
        TestFiles::ReadBytes(File("01 CPU temperature")), TestFiles::BigEndian32({ 3, 41, 43, 3, 43, 41, 42, 1, 43 }));
}

// A save cut short by a crash or a power cut leaves its temporary file (a dot, the file's name,
// ".kelvara-tmp-" and six letters or digits) beside the whole file; the next start removes it, and nothing
// else. Regression: a user's "name.backup" (a dot and six letters) was taken for such a leftover and deleted.
TEST_F(SensorTest, TheNextStartRemovesWhatAnInterruptedSaveLeftBehind)
{
    std::vector<std::string> kept = { "01 CPU temperature", "01 CPU temperature.backup", "01 CPU temperature.a1B2c3",
        ".01 CPU temperature.kelvara-tmp-12345", ".01 CPU temperature.kelvara-tmp-ab-def",
        ".02 CPU temperature.kelvara-tmp-a1B2c3", "Kelvara Preferences.backup" };
    for (const std::string& name : kept)
        TestFiles::WriteBytes(File(name), TestFiles::BigEndian32({ 3, 40, 41, 0, 0 }));
    TestFiles::WriteBytes(File(".01 CPU temperature.kelvara-tmp-a1B2c3"), { 0, 0, 0, 3, 0 });
    ASSERT_EQ(::mkfifo(File(".01 CPU temperature.kelvara-tmp-ABCDEF").c_str(), 0600), 0); // no save makes one
    platform.Processors().SetReadings({ 40 });
    testing::internal::CaptureStderr();
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(".01 CPU temperature.kelvara-tmp-a1B2c3"), std::string::npos);
    kept.push_back(".01 CPU temperature.kelvara-tmp-ABCDEF");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(TestFiles::List(platform.ProgramFolder()), kept);
}

// With every name a copy could take taken, the file is left as found (a named pipe takes the same way), and
// the message says so.
TEST_F(SensorTest, AnUnusableFileThatCannotBeSetAsideIsNotWritten)
{
    for (int copy = 1; copy <= 1000; ++copy)
        TestFiles::Write(File("01 CPU temperature.damaged" + (copy > 1 ? " " + std::to_string(copy) : "")), "");
    std::vector<uint8_t> cut = TestFiles::BigEndian32({ 3, 10, 90, 5, 41 });
    TestFiles::WriteBytes(File("01 CPU temperature"), cut);
    platform.Processors().SetReadings({ 43 });
    testing::internal::CaptureStderr();
    {
        TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
        SampleNow(sensor);
        EXPECT_EQ(sensor.GetLTTempArray()->GetCount(), 1);
        std::string path;
        std::vector<uint8_t> bytes;
        EXPECT_FALSE(sensor.GatherData(path, bytes)) << "nor by the 10-minute save";
    }
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("not written"), std::string::npos) << message;
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature")), cut);
}

// The data file's name, and the name in a caller's 32-byte buffer: cut on a character boundary, and without
// a location the buffer stays as it was.
TEST_F(SensorTest, FileNamesStayInTheProgramFolderAndNamesFitTheCallersBuffer)
{
    const std::tuple<const char*, int16_t, const char*, const char*> cases[] = {
        { "../../etc/passwd", 4, "04 ..:..:etc:passwd", "../../etc/passwd" },
        { "A very long sensor name that goes on and on", 5, "05 A very long sensor name that",
            "A very long sensor name that go" },
        // The 31-byte cut never splits a character: "é" is two bytes and would straddle byte 31.
        { "abcdefghijklmnopqrstuvwxyz0\u00E9t\u00E9", 6, "06 abcdefghijklmnopqrstuvwxyz0",
            "abcdefghijklmnopqrstuvwxyz0\u00E9t" },
        { "", 12, "12 ", "as it was" },
        { "x", 123, "123 x", "x" },
    };
    for (auto [location, index, fileName, buffered] : cases) {
        SCOPED_TRACE(location);
        TemperatureSensor sensor(platform.AddTempSensor(location, 40), kSensorTypeRegistry, index);
        EXPECT_EQ(sensor.GetDatafilePath(), File(fileName));
        char name[32] = "as it was";
        EXPECT_EQ(sensor.GetSensorName(name, sizeof name), *location != '\0');
        EXPECT_STREQ(name, buffered);
    }
}

TEST_F(SensorTest, SavedEveryTenMinutesWhileRunningAndOnReset)
{
    platform.Processors().SetReadings({ 40 });
    SensorMaster* master = SensorMaster::Get();
    master->SetSaveExtras([this] {
        return std::vector<UBackgroundWriter::File> { { File("extra"), { 1, 2 }, "an extra file" } };
    });
    // The master's first round came at start; 120 rounds in all are 10 minutes.
    ASSERT_TRUE(Sampling::AwaitRound(*master));
    for (int n = 1; n < SensorMaster::kRoundsBetweenSaves - 1; ++n)
        ASSERT_TRUE(Sampling::RecordRound(*master));
    EXPECT_FALSE(TestFiles::Exists(File("01 CPU temperature")));
    ASSERT_TRUE(Sampling::RecordRound(*master));
    master->TerminateAndSaveData(); // waits for the writer; the sensor then saves once more
    // 120 samples: counters 0 to 108 gave 10 long-term samples. No temporary file is left behind.
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature")).size(), 20u + 4 * (10 + 120));
    EXPECT_EQ(TestFiles::ReadBytes(File("extra")), (std::vector<uint8_t> { 1, 2 }));
    EXPECT_EQ(TestFiles::List(platform.ProgramFolder()),
        std::vector<std::string>({ "01 CPU temperature", "Kelvara Settings.ini", "Kelvara Timeline", "extra" }));

    // A reset empties the histories, keeps the range, and is saved at once.
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    sensor.ResetData();
    EXPECT_EQ(TestFiles::ReadBytes(File("01 CPU temperature")), TestFiles::BigEndian32({ 3, 40, 40, 0, 0 }));
}

TEST_F(SensorTest, RegistryRulesGiveTypes)
{
    FixturePlatform machine("PowerMac7,2");
    auto& registry = machine.Registry();
    registry.AddEntry("IOHWSensor", { { "IONameMatched", "temp-sensor"s }, { "location", "A"s } });
    registry.AddEntry("IOHWSensor", { { "IONameMatched", "fan-sensor"s }, { "location", "no"s } });
    registry.AddEntry("IOHWSensor", { { "type", "temperature"s }, { "location", "B"s } });
    registry.AddEntry("IOHWSensor", { { "type", "temp"s }, { "location", "C"s } });
    registry.AddEntry("IOHWSensor", { { "type", "voltage"s }, { "location", "no"s } });
    registry.AddEntry("IOHWSensor", { { "location", "no"s } });
    registry.AddEntry("SomethingElse", { { "IONameMatched", "temp-sensor"s } });
    // A property of the wrong kind is the same as an absent one.
    registry.AddEntry("IOHWSensor", { { "IONameMatched", int32_t(1) }, { "type", "temperature"s } });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 1, 1, "A" }, { 1, 2, "B" }, { 5, 3, "C" }, { 1, 4, "" } }));

    FixturePlatform powerMac11("PowerMac11,2"); // its diodes are type 6
    powerMac11.Registry().AddEntry("IOHWSensor", { { "type", "temp"s }, { "location", "CPU A"s } });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 6, 1, "CPU A" } }));
}

// A desktop of today has far more than twelve sensors: every entry is one, then the processors follow.
TEST_F(SensorTest, EveryRegistryEntryIsASensorThenTheProcessors)
{
    for (int i = 1; i <= 20; ++i) {
        if (i == 12)
            platform.Registry().AddEntry("AppleCPUThermo");
        else if (i != 13)
            platform.AddTempSensor("S" + std::to_string(i), 30);
    }
    // Processor 2 has no sensor; processor 4's cannot be read at this moment, and is a sensor all the same.
    platform.Processors().SetReadings({ 45, -1, 47, FixtureProcessorTemperatures::kUnreadable });
    std::vector<Found> found = Discover();
    ASSERT_EQ(found.size(), 23u);
    EXPECT_EQ(std::vector<Found>(found.begin() + 10, found.end()),
        (std::vector<Found> { { 1, 11, "S11" }, { 2, 12, "Core temperature" }, { 3, 13, "Fan sensor temperature" },
            { 1, 14, "S14" }, { 1, 15, "S15" }, { 1, 16, "S16" }, { 1, 17, "S17" }, { 1, 18, "S18" }, { 1, 19, "S19" },
            { 1, 20, "S20" }, { 4, 21, "CPU 1 temperature" }, { 4, 22, "CPU 3 temperature" },
            { 4, 23, "CPU 4 temperature" } }));
}

TEST_F(SensorTest, AnUnexaminableEntryEndsRegistryDiscoveryAndNoRegistryStillFindsProcessors)
{
    platform.AddTempSensor("A", 30);
    platform.Registry().SetExaminable(platform.AddTempSensor("B", 30), false);
    platform.AddTempSensor("C", 30);
    platform.Processors().SetReadings({ 40 });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 1, 1, "A" }, { 4, 2, "CPU temperature" } }));

    FixturePlatform noRegistry;
    noRegistry.Registry().SetIterable(false);
    noRegistry.Processors().SetReadings({ 40 });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 4, 1, "CPU temperature" } }));
    Str255 model;
    EXPECT_EQ(SharedUtils_GetMacName(&model), 0);
    EXPECT_EQ(model[0], 0);
}

TEST_F(SensorTest, SMCOnlyWhenNothingElse)
{
    FixturePlatform machine("MacPro1,1");
    machine.SMC().SetPresent(true);
    // Both bytes are signed: 47.5 (0x2F, 0x80) reads as 46.
    machine.SMC().SetKey("TCAH", { "sp78", { 0x2F, 0x80 } });
    machine.SMC().SetKey("TCBH", { "sp78", { 0x30, 0x00 } });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 7, 1, "Thermal Sensor 1" }, { 7, 2, "Thermal Sensor 2" } }));
    ASSERT_TRUE(Sampling::AwaitRound(*SensorMaster::Get()));
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    EXPECT_EQ((*sensors)[1]->GetRawSensorTemperature(), 46);
    EXPECT_EQ((*sensors)[2]->GetRawSensorTemperature(), 48);
    EXPECT_EQ(SMCWrapper::Get()->GetTemperature(5), 48) << "odd sensors read the second key";

    FixturePlatform withProcessor("MacPro2,1");
    withProcessor.SMC().SetPresent(true);
    withProcessor.Processors().SetReadings({ 40 });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 4, 1, "CPU temperature" } }));
    EXPECT_FALSE(SMCWrapper::Get()->AmIAMacPro()) << "only the first Mac Pro has two keys";
}

// With nothing found, quitting writes nothing.
TEST_F(SensorTest, NothingFound)
{
    EXPECT_EQ(SensorMaster::Get()->GetSensorCount(), 0);
    EXPECT_EQ(SensorMaster::Get()->GetSamplesOfFirstSensor(), 0u);
    SensorMaster::Get()->TerminateAndSaveData();
    EXPECT_FALSE(TestFiles::Exists(platform.ProgramFolder()));
}

// A key is read by its information, then its bytes; a key the SMC does not have gives the request's error and a
// value of zeros. Any machine but the first Mac Pro takes the first of its keys that reads 0 or more.
TEST_F(SensorTest, SMCKeysAndTheGeneralKeySequence)
{
    platform.SMC().SetPresent(true);
    platform.SMC().SetKey("TC0D", { "sp78", { 0x2F, 0x40 } });
    uint32_t connection = 0;
    ASSERT_EQ(SMCOpen(&connection), 0);
    SMCVal_t value;
    std::memset(&value, 0x55, sizeof value);
    EXPECT_EQ(SMCReadKey2("TC9X", &value, connection), kSMCKeyNotFound);
    EXPECT_EQ(value.dataSize, 0u);
    EXPECT_EQ(value.bytes[0], 0);

    platform.SMC().SetKey("TC0D", { "sp78", { 0xFF, 0x00 } });
    platform.SMC().SetKey("TC0H", { "sp78", { 0xFE, 0x00 } });
    platform.SMC().SetKey("TCAH", { "sp78", { 0xFD, 0x00 } });
    SMCWrapper* smc = SMCWrapper::Get();
    ASSERT_EQ(smc->Init(), 0);
    EXPECT_EQ(smc->GetSensorCount(), 1);
    EXPECT_EQ(smc->GetTemperature(0), -3) << "all negative: the last key's reading stands";
    platform.SMC().SetKey("TC0H", { "sp78", { 0x30, 0x00 } });
    EXPECT_EQ(smc->GetTemperature(3), 48);
    platform.SMC().SetKey("TC0D", { "sp78", { 0x00, 0x00 } });
    EXPECT_EQ(smc->GetTemperature(0), 0) << "zero is a valid reading and ends the sequence";
}

// Why the SMC cannot be opened goes to standard output; that there is none, only on a Mac.
TEST_F(SensorTest, SMCOpenFailuresAreReportedOnStandardOutput)
{
    const std::tuple<bool, bool, int32_t, int32_t, const char*> cases[] = {
        // present, a Mac, the search's error, the opening's error, the message
        { false, true, 0, 0, "Error: no SMC found\n" },
        { false, false, 0, 0, "" },
        { true, false, 5, 0, "Error: IOServiceGetMatchingServices() = 00000005\n" },
        { true, false, 0, static_cast<int32_t>(0xE00002C7), "Error: IOServiceOpen() = e00002c7\n" },
    };
    for (auto [present, mac, findError, openError, message] : cases) {
        static_cast<FixtureMachineInfo&>(Platform::Machine()).SetAppleHardware(mac);
        platform.SMC().SetPresent(present);
        platform.SMC().SetFindError(findError);
        platform.SMC().SetOpenError(openError);
        uint32_t connection = 0;
        testing::internal::CaptureStdout();
        EXPECT_EQ(SMCOpen(&connection), 1) << message;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), message);
    }
}
