// What the settings windows build on: the sensor menus, the range over chosen sensors, temperature scales.
#include "framework/LBevelButton.h"
#include "framework/LException.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/prefs/SettingsFixture.h"
#include "util/SensorMenus.h"
#include "util/SensorRange.h"
#include "util/TemperatureUnits.h"

#include <climits>
#include <string>
#include <tuple>
#include <vector>

class SensorMenus : public ::testing::Test {
protected:
    SensorMenus()
        : mButton(FourCC("Show"), LBevelButton::MenuBehavior::MultiCheck)
    {
        for (const char* name : { "CPU", "CPU 2", "GPU", "Drive", "GPU" })
            mButton.AppendMenuItem(name);
    }

    // What GetSensorMenu lists over a stale list, the marks 'x' a check, '-' none, anything else that mark.
    std::vector<std::string> Get(const std::string& marks)
    {
        for (int16_t item = 1; item <= 5; ++item) {
            char mark = marks[static_cast<size_t>(item - 1)];
            mButton.SetMenuItemMark(item, mark == 'x' ? checkMark : mark == '-' ? noMark : mark);
        }
        SensorNameList list;
        list.AddItem(MakeStr255("left over"));
        GetSensorMenu(&mButton, &list);
        std::vector<std::string> names;
        for (ArrayIndexT i = 1; i <= list.GetCount(); ++i)
            names.push_back(Str255ToString(list[i]));
        return names;
    }

    // The items that SetSensorMenu leaves checked ('x') for names when every item was checked before.
    std::string Set(const std::vector<std::string>& names)
    {
        SensorNameList list;
        for (const std::string& name : names)
            list.AddItem(MakeStr255(name));
        for (int16_t item = 1; item <= 5; ++item)
            mButton.SetMenuItemMark(item, checkMark);
        SetSensorMenu(&mButton, &list);
        std::string marks;
        for (int16_t item = 1; item <= 5; ++item)
            marks += mButton.IsMenuItemChecked(item) ? 'x' : '-';
        return marks;
    }

    LBevelButton mButton;
};

TEST_F(SensorMenus, GetSensorMenuListsTheCheckedItemsInMenuOrder)
{
    EXPECT_EQ(Get("-x-x*"), (std::vector<std::string> { "CPU 2", "Drive" })) << "only mark 18 counts";
    EXPECT_EQ(Get("----*"), std::vector<std::string> {});
    EXPECT_EQ(Get("xxxxx"), (std::vector<std::string> { "CPU", "CPU 2", "GPU", "Drive", "GPU" }));
}

TEST_F(SensorMenus, SetSensorMenuChecksTheFirstItemOfEachName)
{
    EXPECT_EQ(Set({}), "-----") << "an empty list unchecks all";
    EXPECT_EQ(Set({ "CPU 2" }), "-x---") << "whole names only";
    EXPECT_EQ(Set({ "GPU" }), "--x--") << "the first of two equal items";
    EXPECT_EQ(Set({ "Disk", "CP", "CPU 22" }), "-----") << "unknown and prefix names change nothing";
    EXPECT_EQ(Set({ "Drive", "CPU" }), "x--x-") << "list order does not matter";
}

class SensorRange : public SettingsTest {
protected:
    // The range over the sensors numbered (from 1; 0 for a null entry), and the code of the error thrown.
    std::tuple<int32_t, int32_t, int32_t> Range(const std::vector<int>& indices)
    {
        TArray<TemperatureSensor*> list;
        for (int index : indices)
            list.AddItem(index == 0 ? nullptr : (*SensorMaster::Get()->GetSensorArray())[index]);
        int32_t low = -999;
        int32_t high = -999;
        int32_t error = ErrorOf([&] { GetMinMaxTemperaturesAsCelcius(list, low, high); });
        return { low, high, error };
    }
};

TEST_F(SensorRange, SpansTheLowestMinimumAndHighestMaximum)
{
    // A from 40 to 45, B 30 to 35, C 20 to 50, and a hot spot D 60 to 110, above where old chips stopped.
    auto entries = InstallMachine({ { "A", 40 }, { "B", 30 }, { "C", 50 }, { "D", 60 } });
    const double next[] = { 45, 35, 20, 110 };
    for (size_t i = 0; i < 4; ++i) {
        TemperatureSensor* sensor = (*SensorMaster::Get()->GetSensorArray())[i + 1]; // discovery reads first
        platform->Registry().SetProperty(entries[i], "current-value", FixturePlatform::Fixed16(next[i]));
        sensor->CreateNewEvent();
    }

    EXPECT_EQ(Range({}), std::make_tuple(0, 0, 0));
    EXPECT_EQ(Range({ 1 }), std::make_tuple(40, 45, 0));
    EXPECT_EQ(Range({ 2, 1, 3 }), std::make_tuple(20, 50, 0));
    EXPECT_EQ(Range({ 3, 3 }), std::make_tuple(20, 50, 0));
    EXPECT_EQ(Range({ 1, 4 }), std::make_tuple(40, 110, 0));
    EXPECT_EQ(Range({ 2, 0, 3 }), std::make_tuple(30, 35, err_NilPointer)) << "a null entry keeps what was found";
}

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
    // Fahrenheit over every sensor temperature: exact, truncated toward zero on both sides of zero.
    for (int32_t c = -300; c <= 399; ++c)
        ASSERT_EQ(ConvertCToScale(c, kScaleFahrenheit), (c * 9 + 160) / 5) << c;
}

using TemperatureUnitsInPreferences = SettingsTest;

TEST_F(TemperatureUnitsInPreferences, FollowTheScaleChosenNow)
{
    EXPECT_EQ(ConvertCToScale(100), 212) << "Fahrenheit by default";
    Preferences::Get()->SetTemperatureScale(kScaleKelvin);
    EXPECT_EQ(ConvertCToScale(43), 316);
    char text[kScaledTemperatureTextSize];
    FormatScaledTemperatureAsString(316, text);
    EXPECT_STREQ(text, "316K");
}
