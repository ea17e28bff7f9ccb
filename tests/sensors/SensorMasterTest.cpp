#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "util/SharedUtils.h"

#include <gtest/gtest.h>

namespace {

struct Found {
    int32_t type;
    int16_t index;
    std::string name;
    bool operator==(const Found&) const = default;
};

void PrintTo(const Found& found, std::ostream* out)
{
    *out << "{type " << found.type << ", index " << found.index << ", \"" << found.name << "\"}";
}

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

using Props = std::map<std::string, FixtureSensorRegistry::Property, std::less<>>;

}

TEST(SensorMaster, RegistryRulesGiveTypes)
{
    FixturePlatform platform("PowerMac7,2");
    auto& registry = platform.Registry();
    registry.AddEntry(
        "IOHWSensor", { { "IONameMatched", std::string("temp-sensor") }, { "location", std::string("A") } });
    registry.AddEntry(
        "IOHWSensor", { { "IONameMatched", std::string("fan-sensor") }, { "location", std::string("no") } });
    registry.AddEntry("IOHWSensor", { { "type", std::string("temperature") }, { "location", std::string("B") } });
    registry.AddEntry("IOHWSensor", { { "type", std::string("temp") }, { "location", std::string("C") } });
    registry.AddEntry("IOHWSensor", { { "type", std::string("voltage") }, { "location", std::string("no") } });
    registry.AddEntry("IOHWSensor", { { "location", std::string("no") } });
    registry.AddEntry("SomethingElse", { { "IONameMatched", std::string("temp-sensor") } });
    // A property of the wrong kind is the same as an absent one.
    registry.AddEntry("IOHWSensor", { { "IONameMatched", int32_t(1) }, { "type", std::string("temperature") } });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 1, 1, "A" }, { 1, 2, "B" }, { 5, 3, "C" }, { 1, 4, "" } }));
}

TEST(SensorMaster, PowerMac11DiodesAreType6)
{
    FixturePlatform platform("PowerMac11,2");
    platform.Registry().AddEntry(
        "IOHWSensor", { { "type", std::string("temp") }, { "location", std::string("CPU A") } });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 6, 1, "CPU A" } }));
}

TEST(SensorMaster, CPUThermoThenProcessors)
{
    FixturePlatform platform;
    platform.Registry().AddEntry(
        "AppleCPUThermo", { { "core-temp", int32_t(50) }, { "temperature", int32_t(40 << 8) } });
    // Processor 2 has no sensor; processor 4's cannot be read at this moment, and is a sensor all the same.
    platform.Processors().SetReadings({ 45, -1, 47, FixtureProcessorTemperatures::kUnreadable });
    EXPECT_EQ(Discover(),
        (std::vector<Found> { { 2, 1, "Core temperature" }, { 3, 2, "Fan sensor temperature" },
            { 4, 3, "CPU 1 temperature" }, { 4, 4, "CPU 3 temperature" }, { 4, 5, "CPU 4 temperature" } }));
}

// A desktop of today has far more than twelve sensors: every entry is one, then the processors follow.
TEST(SensorMaster, EveryRegistryEntryIsASensorThenTheProcessors)
{
    FixturePlatform platform;
    for (int i = 1; i <= 11; ++i)
        platform.AddTempSensor("S" + std::to_string(i), 30);
    platform.Registry().AddEntry("AppleCPUThermo");
    for (int i = 14; i <= 20; ++i)
        platform.AddTempSensor("S" + std::to_string(i), 30);
    platform.Processors().SetReadings({ 40, 41 });
    std::vector<Found> found = Discover();
    ASSERT_EQ(found.size(), 22u);
    EXPECT_EQ(found[10], (Found { 1, 11, "S11" }));
    EXPECT_EQ(found[11], (Found { 2, 12, "Core temperature" }));
    EXPECT_EQ(found[12], (Found { 3, 13, "Fan sensor temperature" }));
    EXPECT_EQ(found[13], (Found { 1, 14, "S14" }));
    EXPECT_EQ(found[19], (Found { 1, 20, "S20" }));
    EXPECT_EQ(found[20], (Found { 4, 21, "CPU 1 temperature" }));
    EXPECT_EQ(found[21], (Found { 4, 22, "CPU 2 temperature" }));
}

TEST(SensorMaster, UnexaminableEntryEndsRegistryDiscovery)
{
    FixturePlatform platform;
    platform.AddTempSensor("A", 30);
    auto broken = platform.AddTempSensor("B", 30);
    platform.AddTempSensor("C", 30);
    platform.Registry().SetExaminable(broken, false);
    platform.Processors().SetReadings({ 40 });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 1, 1, "A" }, { 4, 2, "CPU temperature" } }));
}

TEST(SensorMaster, NoRegistryStillFindsProcessors)
{
    FixturePlatform platform;
    platform.Registry().SetIterable(false);
    platform.Processors().SetReadings({ 40 });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 4, 1, "CPU temperature" } }));
    Str255 model;
    EXPECT_EQ(SharedUtils_GetMacName(&model), 0);
    EXPECT_EQ(model[0], 0);
}

TEST(SensorMaster, SMCOnlyWhenNothingElse)
{
    FixturePlatform platform("MacPro1,1");
    platform.SMC().SetPresent(true);
    platform.SMC().SetKey("TCAH", { "sp78", { 0x2F, 0x40 } });
    platform.SMC().SetKey("TCBH", { "sp78", { 0x30, 0x00 } });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 7, 1, "Thermal Sensor 1" }, { 7, 2, "Thermal Sensor 2" } }));
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    EXPECT_EQ((*sensors)[1]->GetRawSensorTemperature(), 47);
    EXPECT_EQ((*sensors)[2]->GetRawSensorTemperature(), 48);

    FixturePlatform withProcessor("MacPro1,1");
    withProcessor.SMC().SetPresent(true);
    withProcessor.Processors().SetReadings({ 40 });
    EXPECT_EQ(Discover(), (std::vector<Found> { { 4, 1, "CPU temperature" } }));
}

// The missing SMC is worth a message on a Mac only.
TEST(SensorMaster, NothingFound)
{
    for (bool apple : { true, false }) {
        FixturePlatform platform;
        static_cast<FixtureMachineInfo&>(Platform::Machine()).SetAppleHardware(apple);
        testing::internal::CaptureStdout();
        EXPECT_EQ(SensorMaster::Get()->GetSensorCount(), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), apple ? "Error: no SMC found\n" : "") << apple;
    }
    FixturePlatform platform;
    testing::internal::CaptureStdout();
    EXPECT_EQ(SensorMaster::Get()->GetSensorCount(), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(SensorMaster::Get()->GetSamplesOfFirstSensor(), 0u);
    SensorMaster::Get()->TerminateAndSaveData();
    EXPECT_FALSE(TestFiles::Exists(platform.ProgramFolder()));
}

TEST(SensorMaster, TerminateSavesEverySensor)
{
    FixturePlatform platform;
    platform.AddTempSensor("Board", 30);
    platform.Processors().SetReadings({ 40 });
    SensorMaster* master = SensorMaster::Get();
    EXPECT_EQ(master->GetSamplesOfFirstSensor(), 1u);
    master->TerminateAndSaveData();
    EXPECT_EQ(master->GetSensorCount(), 0);
    EXPECT_EQ(
        TestFiles::List(platform.ProgramFolder()), (std::vector<std::string> { "01 Board", "02 CPU temperature" }));
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
