#include "sensors/SensorMaster.h"
#include "sensors/SMCWrapper.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "util/SharedUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace {

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

FixtureSensorRegistry::Property Text(const char* text)
{
    return std::string(text);
}

}

TEST(SensorMaster, RegistryRulesGiveTypes)
{
    FixturePlatform platform("PowerMac7,2");
    auto& registry = platform.Registry();
    registry.AddEntry("IOHWSensor", { { "IONameMatched", Text("temp-sensor") }, { "location", Text("A") } });
    registry.AddEntry("IOHWSensor", { { "IONameMatched", Text("fan-sensor") }, { "location", Text("no") } });
    registry.AddEntry("IOHWSensor", { { "type", Text("temperature") }, { "location", Text("B") } });
    registry.AddEntry("IOHWSensor", { { "type", Text("temp") }, { "location", Text("C") } });
    registry.AddEntry("IOHWSensor", { { "type", Text("voltage") }, { "location", Text("no") } });
    registry.AddEntry("IOHWSensor", { { "location", Text("no") } });
    registry.AddEntry("SomethingElse", { { "IONameMatched", Text("temp-sensor") } });
    // A property of the wrong kind is the same as an absent one.
    registry.AddEntry("IOHWSensor", { { "IONameMatched", int32_t(1) }, { "type", Text("temperature") } });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 1, 1, "A" }, { 1, 2, "B" }, { 5, 3, "C" }, { 1, 4, "" } }));

    FixturePlatform powerMac11("PowerMac11,2"); // its diodes are type 6
    powerMac11.Registry().AddEntry("IOHWSensor", { { "type", Text("temp") }, { "location", Text("CPU A") } });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 6, 1, "CPU A" } }));
}

// A desktop of today has far more than twelve sensors: every entry is one, then the processors follow.
TEST(SensorMaster, EveryRegistryEntryIsASensorThenTheProcessors)
{
    FixturePlatform platform;
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

TEST(SensorMaster, AnUnexaminableEntryEndsRegistryDiscoveryAndNoRegistryStillFindsProcessors)
{
    FixturePlatform platform;
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

TEST(SensorMaster, SMCOnlyWhenNothingElse)
{
    FixturePlatform platform("MacPro1,1");
    platform.SMC().SetPresent(true);
    // Both bytes are signed: 47.5 (0x2F, 0x80) reads as 46.
    platform.SMC().SetKey("TCAH", { "sp78", { 0x2F, 0x80 } });
    platform.SMC().SetKey("TCBH", { "sp78", { 0x30, 0x00 } });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 7, 1, "Thermal Sensor 1" }, { 7, 2, "Thermal Sensor 2" } }));
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

// The missing SMC is worth a message on a Mac only; with nothing found, quitting writes nothing.
TEST(SensorMaster, NothingFound)
{
    for (bool apple : { true, false }) {
        FixturePlatform platform;
        static_cast<FixtureMachineInfo&>(Platform::Machine()).SetAppleHardware(apple);
        testing::internal::CaptureStdout();
        EXPECT_EQ(SensorMaster::Get()->GetSensorCount(), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), apple ? "Error: no SMC found\n" : "") << apple;
        EXPECT_EQ(SensorMaster::Get()->GetSamplesOfFirstSensor(), 0u);
        SensorMaster::Get()->TerminateAndSaveData();
        EXPECT_FALSE(TestFiles::Exists(platform.ProgramFolder()));
    }
}

TEST(SensorMaster, ProcessorCallsReportFailureAsZero)
{
    FixturePlatform platform;
    platform.Processors().SetReadings({ 40, -1 });
    EXPECT_EQ(GetProcessorTempCount(), 2);
    EXPECT_EQ(GetProcessorTemp(1), 0xFFFFFFFFu);
    EXPECT_EQ(GetProcessorTemp(2), 0u);
    EXPECT_EQ(GetProcessorTemp(-1), 0u);
    platform.Processors().SetFails(true);
    EXPECT_EQ(GetProcessorTempCount(), 0);
    EXPECT_EQ(GetProcessorTemp(0), 0u);
}

TEST(SMCWrapper, ReadKeySendsTheRecordByteForByte)
{
    FixturePlatform platform;
    platform.SMC().SetPresent(true);
    platform.SMC().SetKey("TC0D", { "sp78", { 0x2F, 0x40 } });
    uint32_t connection = 0;
    ASSERT_EQ(SMCOpen(&connection), 0);
    SMCVal_t value;
    ASSERT_EQ(SMCReadKey2("TC0D", &value, connection), 0);
    EXPECT_EQ(std::string(value.key) + value.dataType, "TC0Dsp78");
    EXPECT_EQ(value.dataSize, 2u);

    const auto& requests = platform.SMC().Requests();
    ASSERT_EQ(requests.size(), 2u);
    const auto* info = reinterpret_cast<const uint8_t*>(&requests[0]);
    const auto* read = reinterpret_cast<const uint8_t*>(&requests[1]);
    // The key packed with its first character in the most significant byte, in host (little-endian) order.
    EXPECT_EQ(info[0], 'D');
    EXPECT_EQ(info[3], 'T');
    EXPECT_EQ(info[42], 9);
    EXPECT_EQ(read[42], 5);
    EXPECT_EQ(read[28], 2); // data size from the key information
    for (int offset : { 4, 27, 32, 35, 36, 41, 43, 47, 48, 79 })
        EXPECT_EQ(info[offset], 0) << "offset " << offset;

    // A key the SMC does not have: the request's error, and a value of zeros.
    std::memset(&value, 0x55, sizeof value);
    EXPECT_EQ(SMCReadKey2("TC9X", &value, connection), kSMCKeyNotFound);
    EXPECT_EQ(value.dataSize, 0u);
    EXPECT_EQ(value.bytes[0], 0);
}

TEST(SMCWrapper, GeneralKeySequence)
{
    FixturePlatform platform("MacBookPro5,1");
    platform.SMC().SetPresent(true);
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

TEST(SMCWrapper, OpenFailuresAreReportedOnStandardOutput)
{
    FixturePlatform platform;
    platform.SMC().SetPresent(true);
    uint32_t connection = 0;
    for (bool find : { false, true }) {
        if (find)
            platform.SMC().SetFindError(5);
        else
            platform.SMC().SetOpenError(static_cast<int32_t>(0xE00002C7));
        testing::internal::CaptureStdout();
        EXPECT_EQ(SMCOpen(&connection), 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
            find ? "Error: IOServiceGetMatchingServices() = 00000005\n" : "Error: IOServiceOpen() = e00002c7\n");
    }
}
