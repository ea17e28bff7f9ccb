#include "util/TemperatureUnits.h"
#include "prefs/Preferences.h"
#include "tests/prefs/SettingsFixture.h"

#include <climits>
#include <string>

TEST(TemperatureUnits, ConvertsCelsiusIntoEachScale)
{
    const struct {
        const char* name;
        int32_t celsius;
        int16_t scale;
        int32_t expected;
    } cases[] = {
        { "boiling in Fahrenheit", 100, kScaleFahrenheit, 212 },
        { "boiling in Kelvin", 100, kScaleKelvin, 373 },
        { "boiling in Celsius", 100, kScaleCelsius, 100 },
        { "where the scales meet", -40, kScaleFahrenheit, -40 },
        { "negative truncates toward zero", -21, kScaleFahrenheit, -5 },
        { "positive truncates toward zero", 1, kScaleFahrenheit, 33 },
        { "unknown scale leaves Celsius", 45, 7, 45 },
        { "Fahrenheit saturates at the top", INT_MAX, kScaleFahrenheit, INT_MAX },
        { "Fahrenheit saturates at the bottom", INT_MIN, kScaleFahrenheit, INT_MIN },
        { "Kelvin wraps instead of overflowing", INT_MAX, kScaleKelvin, INT_MIN + 272 },
    };
    for (const auto& each : cases)
        EXPECT_EQ(ConvertCToScale(each.celsius, each.scale), each.expected) << each.name;
}

TEST(TemperatureUnits, SinglePrecisionFahrenheitMatchesExactArithmeticOverSensorTemperatures)
{
    for (int32_t c = -300; c <= 399; ++c) {
        int32_t exact = (c * 9 + 160) / 5; // C++ division truncates toward zero
        ASSERT_EQ(ConvertCToScale(c, kScaleFahrenheit), exact) << c;
    }
}

TEST(TemperatureUnits, FormatsEachScale)
{
    const struct {
        const char* name;
        int32_t value;
        int16_t scale;
        std::string expected;
    } cases[] = {
        { "Celsius has no degree sign", -5, kScaleCelsius, "-5C" },
        { "Fahrenheit with a UTF-8 degree sign", 45, kScaleFahrenheit,
            "45\xC2\xB0"
            "F" },
        { "Kelvin as a number", 316, kScaleKelvin, "316K" },
        { "unknown scale in hexadecimal", 45, 0, "0x2d" },
        { "unknown negative scale in hexadecimal", -1, -3, "0xffffffff" },
        { "longest text", INT_MIN, kScaleFahrenheit,
            "-2147483648\xC2\xB0"
            "F" },
    };
    for (const auto& each : cases) {
        char text[kScaledTemperatureTextSize];
        int written = FormatScaledTemperatureAsString(each.value, each.scale, text);
        EXPECT_EQ(std::string(text), each.expected) << each.name;
        EXPECT_EQ(written, static_cast<int>(each.expected.size())) << each.name;
    }
}

class TemperatureUnitsInPreferences : public SettingsTest { };

TEST_F(TemperatureUnitsInPreferences, FollowTheScaleChosenNow)
{
    char text[kScaledTemperatureTextSize];
    EXPECT_EQ(ConvertCToScale(100), 212) << "Fahrenheit by default";
    Preferences::Get()->SetTemperatureScale(kScaleKelvin);
    EXPECT_EQ(ConvertCToScale(43), 316);
    FormatScaledTemperatureAsString(316, text);
    EXPECT_EQ(std::string(text), "316K");
}
