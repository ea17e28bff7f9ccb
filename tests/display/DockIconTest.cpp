#include "display/DockIcon.h"

#include "display/ApplicationIcon.h"
#include "display/DockTile.h"
#include "display/DockTray.h"
#include "display/TextFitting.h"
#include "display/TrayPicture.h"
#include "framework/CGContext.h"
#include "framework/LCommander.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"
#include "util/TemperatureUnits.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

// The tile's y grows upward and image rows downward: a 1-pixel line along tile y = Y (an edge between
// pixels) covers half of image rows 127 - Y and 128 - Y each; one along x = X half of columns X - 1 and X.

namespace {

constexpr int kTraySize = 22;
constexpr RGBColor kColors[] = { { 65535, 0, 0 }, { 0, 65535, 0 }, { 0, 0, 65535 }, { 32767, 0, 32767 } };

// 0.7 grey at alpha 0.9.
const auto IsBackground = [](QRgb p) {
    return std::abs(qRed(p) - 179) <= 2 && qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)
        && std::abs(qAlpha(p) - 230) <= 1;
};
const auto IsDark = [](QRgb p) { return qRed(p) < 130 && qGreen(p) < 130 && qBlue(p) < 130; };
const auto IsReddish = [](QRgb p) { return qRed(p) - qGreen(p) > 60 && qRed(p) - qBlue(p) > 60; };
const auto IsNavy = [](QRgb p) { return qBlue(p) - qRed(p) > 30 && qRed(p) == qGreen(p); };

// How many pixels of the area pass the test.
template <typename Test> int Count(const QImage& image, const QRect& area, Test test)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixel(x, y));
    return count;
}

class DockIconTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Preferences::Get()->SetTemperatureScale(kScaleCelsius);
        for (int i = 0; i < 4; ++i)
            Preferences::Get()->SetSensorColor(i, kColors[i]);
    }

    void TearDown() override
    {
        DockIcon::DeleteInstanceForTesting();
        DockTile::DeleteInstanceForTesting();
    }

    // Changes the settings to show the named sensors in a tile of the type; the tile is redrawn at once.
    static void Show(uint32_t type, const std::vector<std::string>& names)
    {
        Sampling::StartSensors();
        Preferences* prefs = Preferences::Get();
        prefs->SetDockIconType(type);
        for (SensorNameList* list : { prefs->GetDockGraphDisplayArray(), prefs->GetDockTextDisplayArray() }) {
            list->RemoveAllItems();
            for (const std::string& name : names)
                list->AddItem(MakeStr255(name));
        }
        DockIcon::Get();
        prefs->NotifySubscribers();
    }

    static TemperatureSensor* Sensor(int index) { return (*Sampling::StartSensors().GetSensorArray())[index]; }

    static void Prepend(TempElementArray* history, int count, double celsius)
    {
        for (int i = 0; i < count; ++i)
            history->AddNewest(FixturePlatform::Fixed16(celsius));
    }

    static QImage Tile() { return DockTile::Get()->GetShownImage().convertToFormat(QImage::Format_ARGB32); }

    // Sensor 1's line lies along tile y over the samples at x 38 to 44: red on the two image rows beside
    // that edge and on no other row.
    static void ExpectRedLineAt(int y)
    {
        QImage tile = Tile();
        for (int x = 38; x <= 44; ++x)
            for (int row = 0; row < 128; ++row)
                ASSERT_EQ(IsReddish(tile.pixel(x, row)), row == 127 - y || row == 128 - y) << x << ", " << row;
    }

    // Which of the sensors A to D (indices 1 to 4) have texts between the rows: more than 20 pixels drawn
    // fully in their colour, as the strokes of texts are.
    static std::string NamesIn(int fromRow, int toRow)
    {
        std::string names;
        for (int i = 0; i < 4; ++i) {
            auto solid = [c = kColors[i]](QRgb p) {
                return qAlpha(p) == 255 && std::abs(qRed(p) - c.red / 257) < 40
                    && std::abs(qGreen(p) - c.green / 257) < 40 && std::abs(qBlue(p) - c.blue / 257) < 40;
            };
            if (Count(Tile(), QRect(0, fromRow, 128, toRow - fromRow + 1), solid) > 20)
                names += static_cast<char>('A' + i);
        }
        return names;
    }
    static std::string Pair() { return NamesIn(0, 63) + "/" + NamesIn(64, 127); }

    FixturePlatform mMachine;
};

}

TEST_F(DockIconTest, GraphTileDrawsBackgroundAxesLabelsAndAnEmptyRangeOnTheAxis)
{
    // Read at 0 C only, so lo = hi = 0; the history holds samples outside that range.
    mMachine.AddTempSensor("A", 0);
    Prepend(Sensor(1)->GetSTTempArray(), 5, 30);
    Prepend(Sensor(1)->GetSTTempArray(), 5, 70);
    Show(DockIcon::kGraphIcon, { "A" });
    ExpectRedLineAt(20);
    QImage tile = Tile();
    EXPECT_TRUE(IsDark(tile.pixel(0, 60))) << "outline";
    for (int row : { 30, 60, 90, 110 }) {
        EXPECT_TRUE(IsDark(tile.pixel(35, row)) && IsDark(tile.pixel(36, row))) << "vertical axis, row " << row;
        EXPECT_TRUE(IsBackground(tile.pixel(38, row))) << row;
    }
    for (int x : { 60, 80, 126 })
        EXPECT_TRUE(IsDark(tile.pixel(x, 107)) && IsDark(tile.pixel(x, 108))) << "horizontal axis at " << x;
    EXPECT_TRUE(IsBackground(tile.pixel(80, 105)) && IsBackground(tile.pixel(80, 110)));

    // Labels right-aligned to x = 35 at baselines 26 and 114, the time scale to x = 124 at baseline 6.
    EXPECT_GT(Count(tile, QRect(30, 88, 5, 15), IsNavy), 0) << "bottom label";
    EXPECT_GT(Count(tile, QRect(30, 0, 5, 15), IsNavy), 0) << "top label";
    EXPECT_GT(Count(tile, QRect(118, 110, 7, 13), IsNavy), 0) << "time scale";
    EXPECT_EQ(Count(tile, QRect(125, 110, 3, 13), IsNavy), 0) << "time scale";
    EXPECT_EQ(Count(tile, QRect(38, 20, 89, 80), IsNavy), 0) << "nothing in the plot";

    QImage windowIcon = QApplication::windowIcon().pixmap(128, 128).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(windowIcon, tile) << "the window icon shows the tile";

    // For a screen at 200 % the tile has 256 x 256 pixels: the vertical axis along x = 36 is solid in device
    // columns 71 and 72, not the grey half-covered pixels of a blown-up 128 x 128 tile.
    DockTile::Get()->SetDevicePixelRatio(2.0);
    Show(DockIcon::kGraphIcon, { "A" });
    tile = Tile();
    EXPECT_EQ(tile.size(), QSize(256, 256));
    const auto solid = [](QRgb p) { return qAlpha(p) == 255 && qRed(p) < 20 && qGreen(p) < 20 && qBlue(p) < 20; };
    for (int row : { 60, 120, 180 }) {
        EXPECT_TRUE(solid(tile.pixel(71, row)) && solid(tile.pixel(72, row))) << row;
        EXPECT_TRUE(IsBackground(tile.pixel(70, row)) && IsBackground(tile.pixel(73, row))) << row;
    }
}

// The lines, and the labels that name the range in the chosen scale or in percent.
TEST_F(DockIconTest, GraphTilePutsTheLinesAtThePredictedHeights)
{
    // Recorded ranges: A from 10 to 50 C, B only 110 C (a hot spot's true value); together lo = 10 and
    // hi = 110. A's latest ten samples run from x = 37 to x = 46.
    auto a = mMachine.AddTempSensor("A", 10);
    mMachine.AddTempSensor("B", 110);
    Sampling::StartSensors(); // the first round reads A at 10
    mMachine.Registry().SetProperty(a, "current-value", FixturePlatform::Fixed16(50));
    Sampling::SampleNow(*Sensor(1));
    Prepend(Sensor(1)->GetSTTempArray(), 10, 30);
    Prepend(Sensor(1)->GetLTTempArray(), 10, 70);

    // Range: 30 C of 10 to 110 is 20 %, (20 * 108) / 100 + 20 = 41. Percent: 30 C of A's own 10 to 50 is
    // 50 %, 54 + 20 = 74. Long term: 70 C of 10 to 110 is 60 %, 64 + 20 = 84.
    const std::tuple<int16_t, int16_t, int16_t, int, const char*> cases[] = {
        { kScaleCelsius, 1, 1, 41, "10C|110C|short term" },
        { kScaleCelsius, 2, 1, 74, "0%|100%|short term" },
        { kScaleFahrenheit, 1, 2, 84, "50\u00B0F|230\u00B0F|Long term" },
    };
    for (auto [scale, format, timescale, y, labels] : cases) {
        SCOPED_TRACE(labels);
        Preferences::Get()->SetTemperatureScale(scale);
        Preferences::Get()->SetDockGraphDisplayFormat(format);
        Preferences::Get()->SetDockGraphTimescale(timescale);
        Show(DockIcon::kGraphIcon, { "A", "B" });
        ExpectRedLineAt(y);
        DockGraphLabels shown = DockIcon::MakeGraphLabels(format, 10, 110, timescale == 1);
        EXPECT_EQ(shown.bottom + "|" + shown.top + "|" + shown.timescale, labels);
    }
}

// The tray of a Text tile shows one sensor at a time, taking turns with the tile; with no sensor, the tray
// shows the tile.
TEST_F(DockIconTest, TextTileShowsOneOrTwoSensorsRotatesThroughMoreAndGivesWayToTheOrdinaryIcon)
{
    for (auto [name, celsius] : { std::pair { "A", 41 }, { "B", 57 }, { "C", 40 }, { "D", 40 } })
        mMachine.AddTempSensor(name, celsius);

    Show(DockIcon::kTextIcon, {});
    EXPECT_EQ(Count(Tile(), QRect(1, 1, 126, 126), IsBackground), 126 * 126);
    EXPECT_TRUE(DockIcon::Get()->FollowsSamples());
    EXPECT_EQ(DockTile::Get()->TrayImage(kTraySize),
        DockTile::Get()->GetShownImage().scaled(kTraySize, kTraySize, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    // One sensor: name at baseline 80 and value at 46, clear of the bands above and below.
    Show(DockIcon::kTextIcon, { "B" });
    EXPECT_EQ(NamesIn(28, 95) + NamesIn(1, 25) + NamesIn(100, 126), "B");
    Show(DockIcon::kTextIcon, { "C", "A" });
    EXPECT_EQ(Pair(), "C/A");

    Show(DockIcon::kTextIcon, { "A", "B", "C" });
    std::vector<std::string> pairs { Pair() };
    std::vector<QImage> trays { DockTile::Get()->TrayImage(kTraySize) };
    for (int sample = 0; sample < 3; ++sample) {
        SensorMaster::Get()->BroadcastMessage(msg_SamplesRecorded);
        pairs.push_back(Pair());
        trays.push_back(DockTile::Get()->TrayImage(kTraySize));
    }
    EXPECT_EQ(pairs, (std::vector<std::string> { "A/B", "B/C", "C/A", "A/B" }));
    const auto tray = [](const char* value) { return TrayPicture(value, false).Image(kTraySize); };
    // The tray takes turns of its own, here at C after the tiles above.
    EXPECT_EQ(trays, (std::vector<QImage> { tray("40"), tray("41"), tray("57"), tray("40") }));

    // The index (now 2) survives a settings change; one that the new list is shorter than starts again.
    // A name that no sensor has is left out.
    const std::pair<std::vector<std::string>, std::string> changes[]
        = { { { "C", "Gone", "B", "A" }, "B/A" }, { { "A", "B", "C", "D" }, "C/D" }, { { "C", "B", "A" }, "C/B" } };
    for (const auto& [names, pair] : changes) {
        Show(DockIcon::kTextIcon, names);
        EXPECT_EQ(Pair(), pair);
    }

    // Any other type shows the ordinary icon and stops following the samples, on the notification or at the
    // next sample; a tile type draws again.
    QImage ordinary = ApplicationIcon::Image().convertToFormat(QImage::Format_ARGB32);
    for (uint32_t type : { 0u, 3u }) {
        Show(DockIcon::kGraphIcon, { "A" });
        ASSERT_TRUE(DockIcon::Get()->FollowsSamples());
        ASSERT_NE(Tile(), ordinary);
        Preferences::Get()->SetDockIconType(type);
        type == 0 ? Preferences::Get()->NotifySubscribers()
                  : SensorMaster::Get()->BroadcastMessage(msg_SamplesRecorded);
        EXPECT_EQ(Tile(), ordinary) << type;
        EXPECT_FALSE(DockIcon::Get()->FollowsSamples()) << type;
    }
}

// The tray shows the hottest sensor the tile shows, in whole degrees; any sensor at or above its limit, shown
// or not, turns it to the limit colour; the tool tip lists every shown sensor.
TEST_F(DockIconTest, TrayShowsTheHottestChosenSensorAndAnySensorAtItsLimit)
{
    mMachine.AddTempSensor("Board", 41.4);
    auto cpu = mMachine.AddTempSensor("CPU", 57.4);
    auto gpu = mMachine.AddTempSensor("GPU", 99);
    mMachine.Registry().SetProperty(cpu, "high-threshold", FixturePlatform::Fixed16(90));
    mMachine.Registry().SetProperty(gpu, "high-threshold", FixturePlatform::Fixed16(100));
    // The sensors shown, GPU's reading, and the tray's value, colour and tool tip.
    const std::tuple<std::vector<std::string>, double, std::string, bool, std::string> cases[] = {
        { { "Board", "CPU" }, 99, "57", false, "Kelvara\nBoard: 41C\nCPU: 57C" },
        { { "Board", "CPU" }, 100, "57", true, "Kelvara\nBoard: 41C\nCPU: 57C" },
        { { "GPU" }, 104.4, "104", true, "Kelvara\nGPU: 104C" },
    };
    for (const auto& [shown, celsius, value, atLimit, toolTip] : cases) {
        mMachine.Registry().SetProperty(gpu, "current-value", FixturePlatform::Fixed16(celsius));
        Sampling::SampleNow(*Sensor(3));
        Show(DockIcon::kGraphIcon, shown);
        EXPECT_EQ(DockTile::Get()->TrayImage(kTraySize), TrayPicture(value, atLimit).Image(kTraySize)) << celsius;
        EXPECT_EQ(DockTile::Get()->GetTrayToolTip(), toolTip) << celsius;
    }
    // A sensor at its limit is named once, with its limit, as the limit watch words it.
    DockTile::Get()->SetToolTip("Kelvara\nGPU: 104C (limit 100C)");
    EXPECT_EQ(DockTile::Get()->GetTrayToolTip(), "Kelvara\nGPU: 104C (limit 100C)");
}

TEST(DockTileText, NamesWiderThanTheTileAreShortenedWithAnEllipsis)
{
    QImage image(128, 128, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    CGContext context(painter, 128);
    context.SelectFont("Helvetica", 14);
    // Cut between characters, keeping all that fits: whole degree signs too, then the ellipsis.
    for (std::string whole : { std::string("CPU"), std::string("Processor heat sink, rear left, below the drive bay"),
             QString(60, QChar(0xB0)).toStdString() }) {
        std::string name = whole;
        EXPECT_EQ(TruncText(128, name, context), whole != "CPU") << whole;
        if (name == "CPU")
            continue;
        size_t kept = name.size() - 3;
        EXPECT_EQ(whole.substr(0, kept) + "…", name);
        EXPECT_NE(whole[kept] & 0xC0, 0x80) << "a character boundary";
        EXPECT_LE(context.GetTextWidth(name), 128);
        size_t next = kept + (whole[kept] == '\xC2' ? 2 : 1); // a degree sign is two bytes
        EXPECT_GT(context.GetTextWidth(whole.substr(0, next) + "…"), 128) << "keeps all that fits";
    }
}

TEST(DockTray, MenuSendsTheMainCommands)
{
    struct Recorder : LCommander {
        bool ObeyCommand(CommandT command, void*) override
        {
            received.push_back(command);
            return true;
        }
        void FindCommandStatus(CommandT command, bool& enabled, bool&, uint16_t&, Str255&) override
        {
            enabled = command != cmd_Preferences;
        }
        std::vector<CommandT> received;
    } recorder;
    LCommander::SetTarget(&recorder);

    DockTray tray;
    std::vector<std::string> titles;
    for (QAction* action : tray.GetMenu()->actions()) {
        if (!action->isSeparator()) {
            titles.push_back(action->text().toStdString());
            action->trigger();
        }
    }
    QCoreApplication::processEvents();
    LCommander::SetTarget(nullptr);
    EXPECT_EQ(titles,
        (std::vector<std::string> { "New Data Window", "New Graph Window", "Compare Machines\u2026",
            "Preferences\u2026", "Check for New Version\u2026", "About Kelvara", "Quit Kelvara" }));
    // A disabled command is not carried out.
    EXPECT_EQ(recorder.received,
        (std::vector<CommandT> { FourCC("RawD"), 2, FourCC("Comp"), FourCC("ChkN"), cmd_About, cmd_Quit }));
}
