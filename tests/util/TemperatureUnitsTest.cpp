#include "util/TemperatureUnits.h"
#include "prefs/Preferences.h"
#include "tests/prefs/SettingsFixture.h"

#include <climits>
#include <string>

TEST(TemperatureUnits, ConvertsCelsiusIntoEachScaleAndFormatsTheResult)
{
    const struct {
        int32_t celsius;
        int16_t scale;
        int32_t converted;
        std::string text; // "\302\260" is the degree sign in UTF-8
    } cases[] = {
        { -5, kScaleCelsius, -5, "-5C" },
        { 45, kScaleFahrenheit, 113, "113\302\260F" },
        { 43, kScaleKelvin, 316, "316K" },
        // An unknown scale leaves Celsius, in hexadecimal.
        { 45, 0, 45, "0x2d" },
        { 45, 7, 45, "0x2d" },
        { -1, -3, -1, "0xffffffff" },
        // Fahrenheit saturates at both ends (the bottom giving the longest text); Kelvin wraps.
        { INT_MAX, kScaleFahrenheit, INT_MAX, "2147483647\302\260F" },
        { INT_MIN, kScaleFahrenheit, INT_MIN, "-2147483648\302\260F" },
        { INT_MAX, kScaleKelvin, INT_MIN + 272, "-2147483376K" },
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.text);
        EXPECT_EQ(ConvertCToScale(each.celsius, each.scale), each.converted);
        char text[kScaledTemperatureTextSize];
        EXPECT_EQ(
            FormatScaledTemperatureAsString(each.converted, each.scale, text), static_cast<int>(each.text.size()));
        EXPECT_EQ(std::string(text), each.text);
    }
    // Single precision Fahrenheit over every sensor temperature: exact, truncated toward zero on both sides
    // of zero, and -40 where the scales meet.
    for (int32_t c = -300; c <= 399; ++c) {
        int32_t exact = (c * 9 + 160) / 5; // C++ division truncates toward zero
        ASSERT_EQ(ConvertCToScale(c, kScaleFahrenheit), exact) << c;
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
