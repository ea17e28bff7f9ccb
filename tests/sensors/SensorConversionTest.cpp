#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "util/SharedUtils.h"
#include "util/TemperatureUnits.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class SensorConversion : public ::testing::Test {
protected:
    FixturePlatform platform;
};

}

// Conversions do not read the source: a sensor of any type over an entry without a reading will do.
TEST_F(SensorConversion, CelsiusAndFahrenheitByType)
{
    const struct {
        const char* name;
        int32_t type, raw, celsius, fahrenheit;
    } cases[] = {
        { "16.16 fraction dropped by rounding", kSensorTypeRegistry, FixturePlatform::Fixed16(42.25), 42, 107 },
        // Today's hardware monitors report true temperatures: a GPU hot spot at 110 C is 110 C and 230 F.
        { "16.16 hot spot", kSensorTypeRegistry, FixturePlatform::Fixed16(110), 110, 230 },
        { "whole degrees core", kSensorTypeCPUCore, 37, 37, 98 },
        { "whole degrees core capped", kSensorTypeCPUCore, 150, 100, 212 },
        { "8.8 fraction truncated", kSensorTypeCPUFan, 12160, 47, 116 },
        { "8.8 capped", kSensorTypeCPUFan, 120 << 8, 100, 212 },
        { "8.8 negative", kSensorTypeCPUFan, -256, -1, 30 },
        { "processor 99", kSensorTypeProcessor, 99, 99, 210 },
        { "processor 110 is true", kSensorTypeProcessor, 110, 110, 230 },
        { "diode low end", kSensorTypeDiode, 508, 44, 111 },
        { "diode high end", kSensorTypeDiode, 692, 76, 168 },
        { "diode rounds", kSensorTypeDiode, 550, 51, 123 },
        // Far above the diode's range the mapping passes 99, so the raw value is read as 16.16 instead.
        { "diode as 16.16", kSensorTypeDiode, 50 << 16, 50, 122 },
        { "Maxim upper half", kSensorTypeMaxim, 0x00638000, 99, 210 },
        { "Maxim upper half signed", kSensorTypeMaxim, static_cast<int32_t>(0xFFFF8000), -1, 30 },
        { "Maxim capped", kSensorTypeMaxim, 120 << 16, 100, 212 },
        { "diode capped", kSensorTypeDiode, 110 << 16, 100, 212 },
        { "SMC has no upper limit", kSensorTypeSMC, 130, 130, 266 },
        { "unknown type unchanged", 9, 1234, 1234, 212 },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        TemperatureSensor sensor(1000, row.type, 1);
        EXPECT_EQ(sensor.ConvertRawToCelcius(row.raw), row.celsius);
        EXPECT_EQ(sensor.ConvertRawToFahrenheit(row.raw), row.fahrenheit);
    }
}

TEST_F(SensorConversion, ScaledTemperatureUsesUncappedBase)
{
    Preferences::Get()->SetTemperatureScale(kScaleCelsius);
    TemperatureSensor registry(1000, kSensorTypeRegistry, 1), processor(1000, kSensorTypeProcessor, 1);
    EXPECT_EQ(registry.ConvertRawToScaledTemp(101 << 16), 101);
    EXPECT_EQ(processor.ConvertRawToScaledTemp(120), 120);
    EXPECT_EQ(TemperatureSensor(1000, kSensorTypeCPUFan, 1).ConvertRawToScaledTemp(120 << 8), 100);
    EXPECT_EQ(TemperatureSensor(1000, 0, 1).ConvertRawToScaledTemp(77), 77);

    Preferences::Get()->SetTemperatureScale(kScaleFahrenheit);
    EXPECT_EQ(processor.ConvertRawToScaledTemp(37), 98);
    char text[kScaledTemperatureTextSize];
    processor.ConvertRawTemperatureToString(37, text);
    EXPECT_STREQ(text, "98\u00B0F");
    registry.ConvertRawTemperatureToString(FixturePlatform::Fixed16(110), text);
    EXPECT_STREQ(text, "230\u00B0F");
}

// The mapping rounds halves away from zero, extrapolates outside its range and survives an empty one.
TEST(SharedUtilsMapFromTo, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(SharedUtils_MapFromTo(3, 0, 10, 0, 5), 2);
    EXPECT_EQ(SharedUtils_MapFromTo(-3, 0, 10, 0, 5), -2);
    EXPECT_EQ(SharedUtils_MapFromTo(20, 0, 10, 0, 5), 10);
    EXPECT_EQ(SharedUtils_MapFromTo(42, 5, 5, 7, 100), 7);
}

TEST_F(SensorConversion, RangeFollowsEveryReadingAndGivesThePercent)
{
    platform.Processors().SetReadings({ 40 });
    TemperatureSensor sensor(0, kSensorTypeProcessor, 1);
    // The constructor's first sample sets the range to the reading and one above it.
    sensor.GetRawSensorTemperature();
    EXPECT_EQ(sensor.GetRawMinimumReading(), 40);
    EXPECT_EQ(sensor.GetRawMaximumReading(), 41);
    platform.Processors().SetReadings({ 35 });
    char text[kScaledTemperatureTextSize];
    sensor.GetSensorTemperatureAsString(text); // displays take fresh readings too
    EXPECT_EQ(sensor.GetRawMinimumReading(), 35);
    platform.Processors().SetReadings({ 55 });
    sensor.GetSensorTemperatureAsPercent(text);
    EXPECT_STREQ(text, "100%");
    EXPECT_EQ(sensor.GetRawMaximumReading(), 55);
    // Percent of the recorded range 35..55.
    EXPECT_EQ(sensor.ConvertRawToPercent(45), 50);
    EXPECT_EQ(sensor.ConvertRawToPercent(30), -25);
}

TEST_F(SensorConversion, NamesByType)
{
    platform.Processors().SetReadings({ 40, 41 });
    auto entry = platform.AddTempSensor("CPU A/B side", 40);
    TemperatureSensor registry(entry, kSensorTypeRegistry, 1);
    char name[256] = "unchanged";
    EXPECT_TRUE(registry.GetSensorName(name, sizeof name));
    EXPECT_STREQ(name, "CPU A/B side");
    EXPECT_TRUE(registry.GetSensorName(name, 4)); // a short buffer gets a cut, terminated name
    EXPECT_STREQ(name, "CPU");

    EXPECT_EQ(TemperatureSensor(entry, kSensorTypeCPUCore, 2).GetSensorName(), "Core temperature");
    EXPECT_EQ(TemperatureSensor(entry, kSensorTypeCPUFan, 3).GetSensorName(), "Fan sensor temperature");
    EXPECT_EQ(TemperatureSensor(0, kSensorTypeProcessor, 4).GetSensorName(), "CPU 1 temperature");
    EXPECT_EQ(TemperatureSensor(1, kSensorTypeSMC, 5).GetSensorName(), "Thermal Sensor 2");
    platform.Processors().SetReadings({ 40 });
    EXPECT_EQ(TemperatureSensor(0, kSensorTypeProcessor, 6).GetSensorName(), "CPU temperature");

    // Without a location the caller's buffer stays as it was.
    std::strcpy(name, "unchanged");
    EXPECT_FALSE(TemperatureSensor(999, kSensorTypeRegistry, 7).GetSensorName(name, sizeof name));
    EXPECT_STREQ(name, "unchanged");
}

TEST_F(SensorConversion, RegistryPropertiesOfTheWrongKindAreAbsent)
{
    auto entry = platform.AddTempSensor("Board", 40);
    platform.Registry().SetProperty(entry, "high-threshold", FixturePlatform::Fixed16(90));
    platform.Registry().SetProperty(entry, "low-threshold", FixtureSensorRegistry::Int64 { 5 });
    TemperatureSensor sensor(entry, kSensorTypeRegistry, 1);
    EXPECT_EQ(sensor.GetRawHighThreshold(), 90 << 16);
    EXPECT_EQ(sensor.GetRawLowThreshold(), kNoThreshold); // not a 32-bit number
    EXPECT_EQ(TemperatureSensor(entry, kSensorTypeMaxim, 2).GetRawHighThreshold(), kNoThreshold);

    // A reading of the wrong kind counts as 0, and takes part in the range like any reading.
    platform.Registry().SetProperty(entry, "current-value", std::string("hot"));
    TemperatureSensor wrong(entry, kSensorTypeRegistry, 3);
    EXPECT_EQ(wrong.GetRawSensorTemperature(), 0);
    EXPECT_EQ(wrong.GetRawMaximumReading(), 1);
}
