// What the settings windows build on: the sensor menus, the range over chosen sensors, temperature scales,
// the sensors' colours and the program's own folder.
#include "framework/CGContext.h"
#include "framework/LBevelButton.h"
#include "framework/LException.h"
#include "framework/QDPort.h"
#include "framework/UColorContrast.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/prefs/SettingsFixture.h"
#include "tests/support/Sampling.h"
#include "util/SensorColors.h"
#include "util/SensorMenus.h"
#include "util/SensorRange.h"
#include "util/TemperatureUnits.h"
#include "util/UtilitiesFolder.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <string>
#include <sys/stat.h>
#include <vector>

class SensorMenus : public ::testing::Test {
protected:
    SensorMenus()
        : mButton(FourCC("Show"), LBevelButton::MenuBehavior::MultiCheck)
    {
        for (const char* name : { "CPU", "CPU 2", "GPU", "Drive", "GPU" })
            mButton.AppendMenuItem(name);
    }

    // What GetSensorMenu lists for the marks: 'x' a check, '-' none, anything else that mark.
    std::vector<std::string> Get(const std::string& marks)
    {
        for (int16_t item = 1; item <= 5; ++item) {
            char mark = marks[static_cast<size_t>(item - 1)];
            mButton.SetMenuItemMark(item, mark == 'x' ? checkMark : mark == '-' ? noMark : mark);
        }
        SensorNameList list;
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

// Get lists the checked items in menu order; Set checks the first item of each name.
TEST_F(SensorMenus, CarryTheCheckedNamesBothWays)
{
    EXPECT_EQ(Get("-x-x*"), (std::vector<std::string> { "CPU 2", "Drive" })) << "only mark 18 counts";
    EXPECT_EQ(Get("xxxxx"), (std::vector<std::string> { "CPU", "CPU 2", "GPU", "Drive", "GPU" }));
    EXPECT_EQ(Set({}), "-----") << "an empty list unchecks all";
    EXPECT_EQ(Set({ "GPU" }), "--x--") << "the first of two equal items";
    EXPECT_EQ(Set({ "Disk", "CP", "CPU 22" }), "-----") << "whole names only: unknown and prefix names change nothing";
    EXPECT_EQ(Set({ "Drive", "CPU" }), "x--x-") << "list order does not matter";
}

using SensorRange = SettingsTest;

// The span over several sensors shows in every graph's scale; left here: no sensor at all, and a null entry.
TEST_F(SensorRange, IsNothingForNoSensorsAndStopsAtANullEntry)
{
    InstallMachine({ { "A", 40 }, { "B", 30 } });
    SensorArray* sensors = Sampling::StartSensors().GetSensorArray();
    TArray<TemperatureSensor*> list;
    int32_t low = -999, high = -999;
    GetMinMaxTemperaturesAsCelcius(list, low, high);
    EXPECT_EQ(std::make_pair(low, high), std::make_pair(0, 0));
    for (TemperatureSensor* sensor : { (*sensors)[1], static_cast<TemperatureSensor*>(nullptr), (*sensors)[2] })
        list.AddItem(sensor);
    EXPECT_EQ(ErrorOf([&] { GetMinMaxTemperaturesAsCelcius(list, low, high); }), err_NilPointer);
    EXPECT_EQ(std::make_pair(low, high), std::make_pair(40, 40)) << "a null entry keeps what was found";
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

class SensorColors : public SettingsTest {
protected:
    SensorColors() { painter.fillRect(image.rect(), Qt::white); }
    ~SensorColors() override { QDPort::SetPort(previous); }

    // The port's pen, a context's fill and its stroke as drawn after choosing the sensor index.
    std::vector<QRgb> Painted(int32_t sensorIndex)
    {
        SwitchColor(sensorIndex);
        port.PaintRect(Rect { 0, 0, 8, 8 });
        SwitchContextFillColor(&context, sensorIndex);
        context.FillRect(CGRectMake(8, 0, 8, 8));
        SwitchContextStrokeColor(&context, sensorIndex);
        context.SetLineWidth(4);
        context.MoveToPoint(16, 4);
        context.AddLineToPoint(24, 4);
        context.StrokePath();
        return { image.pixel(4, 4), image.pixel(12, 4), image.pixel(20, 4) };
    }
    static std::vector<QRgb> Thrice(const RGBColor& c)
    {
        return std::vector<QRgb>(3, QColor::fromRgba64(c.red, c.green, c.blue).rgb());
    }

    QImage image { 24, 8, QImage::Format_RGB32 };
    QPainter painter { &image };
    QDPort port { painter };
    CGContext context { painter, 8 };
    QDPort* previous = QDPort::SetPort(&port);
};

TEST_F(SensorColors, IndicesOneToTwelveDrawInTheStoredColoursAndLaterOnesInTheExtension)
{
    Preferences* prefs = Preferences::Get();
    prefs->InitializePrefs();
    std::vector<RGBColor> seen(12); // the colours a first run stores
    for (int32_t position = 0; position < 12; ++position) {
        prefs->GetSensorColor(position, seen[static_cast<size_t>(position)]);
        prefs->SetSensorColor(position, RGBColor { static_cast<uint16_t>(position * 0x1500), 0x4000, 0xFFFF });
    }
    EXPECT_EQ(Painted(1), Thrice({ 0, 0x4000, 0xFFFF }));
    EXPECT_EQ(Painted(12), Thrice({ 11 * 0x1500, 0x4000, 0xFFFF }));
    prefs->SetSensorColor(2, RGBColor { 0xFFFF, 0, 0 });
    EXPECT_EQ(Painted(3), Thrice({ 0xFFFF, 0, 0 })) << "a changed colour counts at the next call";
    // From 13 on a fixed extension, every colour its own and none of the twelve a first run stores.
    for (int32_t index : { 13, INT32_MAX })
        EXPECT_EQ(Painted(index), Thrice(ExtendedSensorColor(index))) << "index " << index;
    for (int32_t index = 13; index <= 640; ++index) {
        RGBColor colour = ExtendedSensorColor(index);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), colour), 0) << "index " << index;
        seen.push_back(colour);
    }
    // A first run's twelve stand out from a white plot and a dark one, and far from each other and from the
    // hand-picked extension (sensors 13 to 28).
    auto apart = [](const RGBColor& a, const RGBColor& b) {
        return std::hypot(a.red - b.red, a.green - b.green, a.blue - b.blue) / 257;
    };
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_GE(UColorContrast::ContrastRatio(seen[i], { 65535, 65535, 65535 }), 3.0) << i;
        EXPECT_GE(UColorContrast::ContrastRatio(seen[i], { 0x2A2A, 0x2A2A, 0x2A2A }), 3.0) << i;
        for (size_t j = 0; j < 28; ++j)
            EXPECT_TRUE(i == j || apart(seen[i], seen[j]) >= 40) << i << " and " << j;
    }
}

TEST_F(SensorColors, IndicesBelowOneThrowAsrtAndChangeNoColour)
{
    port.RGBForeColor(RGBColor { 1, 2, 3 });
    for (int32_t index : { 0, INT32_MIN }) {
        EXPECT_EQ(ErrorOf([&] { SwitchColor(index); }), err_AssertionFailed) << index;
        EXPECT_EQ(ErrorOf([&] { SwitchContextStrokeColor(&context, index); }), err_AssertionFailed) << index;
        EXPECT_EQ(ErrorOf([&] { SwitchContextFillColor(&context, index); }), err_AssertionFailed) << index;
    }
    EXPECT_EQ(port.GetForeColor(), (RGBColor { 1, 2, 3 }));
    QDPort::SetPort(nullptr);
    EXPECT_EQ(ErrorOf([] { SwitchColor(1); }), err_NilPointer) << "no current port";
}

// Made once with private mode, then found; a name that is no folder of its own leaves the folder alone.
TEST(UtilitiesFolder, CreatedOnceWithPrivateModeThenFound)
{
    FixturePlatform platform;
    std::string folder;
    EXPECT_EQ(FindUtilitiesFolder(false, folder), fnfErr) << "missing and not to be made";
    EXPECT_TRUE(folder.empty());
    ASSERT_EQ(FindUtilitiesFolder(true, folder), 0);
    struct stat info { };
    ASSERT_EQ(::stat(platform.ProgramFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    folder.clear();
    EXPECT_EQ(FindUtilitiesFolder(false, folder), 0);
    EXPECT_EQ(folder, platform.ProgramFolder());

    TestFiles::Write(folder + "/plain", "not a folder");
    EXPECT_EQ(GetFolderInfo(folder, "missing", false), fnfErr);
    for (const char* name : { "plain", "..", "a/b" })
        EXPECT_NE(GetFolderInfo(folder, name, true), 0) << name;
    EXPECT_EQ(folder, platform.ProgramFolder()) << "left alone on failure";
    EXPECT_EQ(GetFolderInfo(folder, "made", true), 0);
    EXPECT_EQ(folder, platform.ProgramFolder() + "/made");
}
