#include "display/DockIcon.h"

#include "display/ApplicationIcon.h"
#include "display/DockTile.h"
#include "display/DockTray.h"
#include "display/TextFitting.h"
#include "framework/CGContext.h"
#include "framework/LCommander.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "util/TemperatureUnits.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The tile's y grows upward and image rows downward: a 1-pixel line along tile y = Y (an edge between
// pixels) covers half of image rows 127 - Y and 128 - Y each; one along x = X half of columns X - 1 and X.

namespace {

constexpr RGBColor kRed { 65535, 0, 0 };
constexpr RGBColor kGreen { 0, 65535, 0 };
constexpr RGBColor kBlue { 0, 0, 65535 };
constexpr RGBColor kPurple { 32767, 0, 32767 };

// 0.7 grey at alpha 0.9.
const auto IsBackground = [](QRgb p) {
    return std::abs(qRed(p) - 179) <= 2 && qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)
        && std::abs(qAlpha(p) - 230) <= 1;
};
const auto IsDark = [](QRgb p) { return qRed(p) < 130 && qGreen(p) < 130 && qBlue(p) < 130; };
const auto IsReddish = [](QRgb p) { return qRed(p) - qGreen(p) > 60 && qRed(p) - qBlue(p) > 60; };
const auto IsNavy = [](QRgb p) { return qBlue(p) - qRed(p) > 30 && qRed(p) == qGreen(p); };

// The rightmost column of the area holding navy label ink, -1 when there is none.
int RightmostNavy(const QImage& image, const QRect& area)
{
    for (int x = area.right(); x >= area.left(); --x) {
        for (int row = area.top(); row <= area.bottom(); ++row) {
            if (IsNavy(image.pixel(x, row)))
                return x;
        }
    }
    return -1;
}

// Pixels drawn fully in a sensor's colour, as the strokes of its texts are.
int CountSolid(const QImage& image, const RGBColor& color, int fromRow, int toRow)
{
    int count = 0;
    for (int row = fromRow; row <= toRow; ++row) {
        for (int x = 0; x < image.width(); ++x) {
            QRgb p = image.pixel(x, row);
            count += qAlpha(p) == 255 && std::abs(qRed(p) - color.red / 257) < 40
                && std::abs(qGreen(p) - color.green / 257) < 40 && std::abs(qBlue(p) - color.blue / 257) < 40;
        }
    }
    return count;
}

class DockIconTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Preferences* prefs = Preferences::Get();
        prefs->SetTemperatureScale(kScaleCelsius);
        for (int i = 0; i < 4; ++i)
            prefs->SetSensorColor(i, kColors[i]);
    }

    void TearDown() override
    {
        DockIcon::DeleteInstanceForTesting();
        DockTile::DeleteInstanceForTesting();
    }

    void Show(uint32_t type, const std::vector<std::string>& names)
    {
        Preferences* prefs = Preferences::Get();
        prefs->SetDockIconType(type);
        for (SensorNameList* list : { prefs->GetDockGraphDisplayArray(), prefs->GetDockTextDisplayArray() }) {
            list->RemoveAllItems();
            for (const std::string& name : names)
                list->AddItem(MakeStr255(name));
        }
    }

    static TemperatureSensor* Sensor(int index) { return (*SensorMaster::Get()->GetSensorArray())[index]; }

    static void Prepend(TempElementArray* history, int count, double celsius)
    {
        for (int i = 0; i < count; ++i)
            history->InsertItemAt(1, new TempElement(FixturePlatform::Fixed16(celsius)));
    }

    static QImage Tile() { return DockTile::Get()->GetShownImage().convertToFormat(QImage::Format_ARGB32); }

    // Which of the sensors A to D (indices 1 to 4) have texts between the rows.
    static std::string NamesIn(int fromRow, int toRow)
    {
        QImage tile = Tile();
        std::string names;
        for (int i = 0; i < 4; ++i) {
            if (CountSolid(tile, kColors[i], fromRow, toRow) > 20)
                names += static_cast<char>('A' + i);
        }
        return names;
    }
    static std::string Pair() { return NamesIn(0, 63) + "/" + NamesIn(64, 127); }

    static constexpr RGBColor kColors[] = { kRed, kGreen, kBlue, kPurple };
    FixturePlatform mMachine;
};

}

TEST_F(DockIconTest, GraphTileDrawsBackgroundAxesAndLabelsWhereTheGeometrySays)
{
    Show(DockIcon::kGraphIcon, {});
    DockIcon::Get()->UpdateIcon();
    QImage tile = Tile();

    EXPECT_TRUE(IsBackground(tile.pixel(80, 60)));
    EXPECT_TRUE(IsDark(tile.pixel(0, 60))) << "outline";
    for (int row : { 30, 60, 90, 110 }) {
        EXPECT_TRUE(IsDark(tile.pixel(35, row)) && IsDark(tile.pixel(36, row))) << "vertical axis, row " << row;
        EXPECT_TRUE(IsBackground(tile.pixel(38, row))) << row;
    }
    for (int x : { 40, 80, 126 })
        EXPECT_TRUE(IsDark(tile.pixel(x, 107)) && IsDark(tile.pixel(x, 108))) << "horizontal axis at " << x;
    EXPECT_TRUE(IsBackground(tile.pixel(80, 105)));
    EXPECT_TRUE(IsBackground(tile.pixel(80, 110)));

    // Labels right-aligned to x = 35 at baselines 26 and 114, the time scale to x = 124 at baseline 6.
    EXPECT_GE(RightmostNavy(tile, QRect(0, 88, 35, 15)), 30) << "bottom label";
    EXPECT_GE(RightmostNavy(tile, QRect(0, 0, 35, 15)), 30) << "top label";
    int timescaleEnd = RightmostNavy(tile, QRect(60, 110, 68, 13));
    EXPECT_TRUE(timescaleEnd >= 118 && timescaleEnd <= 124) << timescaleEnd;
    EXPECT_EQ(RightmostNavy(tile, QRect(38, 20, 89, 80)), -1) << "nothing in the plot";

    QImage windowIcon = QApplication::windowIcon().pixmap(128, 128).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(windowIcon, tile) << "the window icon shows the tile";
}

TEST(DockGraphLabels, NameTheRangeInTheChosenScaleOrInPercent)
{
    FixturePlatform machine;
    auto joined
        = [](const DockGraphLabels& labels) { return labels.bottom + "|" + labels.top + "|" + labels.timescale; };
    Preferences::Get()->SetTemperatureScale(kScaleCelsius);
    EXPECT_EQ(joined(DockIcon::MakeGraphLabels(1, 30, 70, true)), "30C|70C|short term");
    Preferences::Get()->SetTemperatureScale(kScaleFahrenheit);
    EXPECT_EQ(joined(DockIcon::MakeGraphLabels(1, 30, 70, false)), "86\u00B0F|158\u00B0F|Long term");
    EXPECT_EQ(joined(DockIcon::MakeGraphLabels(2, 30, 70, true)), "0%|100%|short term");
}

struct GraphLineCase {
    const char* name;
    int16_t format;
    int16_t timescale;
    int expectedY;
};

class DockGraphLineTest : public DockIconTest, public ::testing::WithParamInterface<GraphLineCase> { };

TEST_P(DockGraphLineTest, PutsTheSensorsLineInItsColourAtThePredictedHeight)
{
    // Recorded ranges: A from 10 to 50 C, B only 90 C; together lo = 10 and hi = 90.
    auto a = mMachine.AddTempSensor("A", 10);
    mMachine.AddTempSensor("B", 90);
    SensorMaster::Get();
    mMachine.Registry().SetProperty(a, "current-value", FixturePlatform::Fixed16(50));
    Sensor(1)->CreateNewEvent();
    Prepend(Sensor(1)->GetSTTempArray(), 10, 30);
    Prepend(Sensor(1)->GetLTTempArray(), 10, 70);
    Show(DockIcon::kGraphIcon, { "A", "B" });
    Preferences::Get()->SetDockGraphDisplayFormat(GetParam().format);
    Preferences::Get()->SetDockGraphTimescale(GetParam().timescale);
    DockIcon::Get()->UpdateIcon();
    QImage tile = Tile();

    // The ten samples run from x = 37 to x = 46.
    int y = GetParam().expectedY;
    for (int x : { 38, 41, 44 }) {
        EXPECT_TRUE(IsReddish(tile.pixel(x, 127 - y)) && IsReddish(tile.pixel(x, 128 - y))) << x;
        EXPECT_FALSE(IsReddish(tile.pixel(x, 125 - y)) || IsReddish(tile.pixel(x, 130 - y))) << x;
    }
}

// Range: 30 C of 10 to 90 is 25 %, (25 * 108) / 100 + 20 = 47. Percent: 30 C of A's own 10 to 50 is
// 50 %, 54 + 20 = 74. Long term: 70 C of 10 to 90 is 75 %, 81 + 20 = 101.
INSTANTIATE_TEST_SUITE_P(Modes, DockGraphLineTest,
    ::testing::Values(GraphLineCase { "RangeShortTerm", 1, 1, 47 }, GraphLineCase { "PercentShortTerm", 2, 1, 74 },
        GraphLineCase { "RangeLongTerm", 1, 2, 101 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DockIconTest, AnEmptyRangePutsEveryLineOnTheHorizontalAxis)
{
    // Read at 0 C only, so lo = hi = 0; the history holds samples outside that range.
    mMachine.AddTempSensor("A", 0);
    Prepend(Sensor(1)->GetSTTempArray(), 5, 30);
    Prepend(Sensor(1)->GetSTTempArray(), 5, 70);
    Show(DockIcon::kGraphIcon, { "A" });
    DockIcon::Get()->UpdateIcon();
    QImage tile = Tile();

    EXPECT_TRUE(IsReddish(tile.pixel(41, 107)) && IsReddish(tile.pixel(41, 108)));
    for (int row = 0; row < 105; ++row) {
        for (int x = 37; x < 128; ++x)
            ASSERT_FALSE(IsReddish(tile.pixel(x, row))) << x << ", " << row;
    }
}

TEST_F(DockIconTest, TextTilePlacesOneOrTwoSensorsAndRotatesThroughMore)
{
    for (const char* name : { "A", "B", "C", "D" })
        mMachine.AddTempSensor(name, 40);

    // One sensor: name at baseline 80 and value at 46, clear of the bands above and below.
    Show(DockIcon::kTextIcon, { "B" });
    DockIcon::Get()->UpdateIcon();
    EXPECT_EQ(NamesIn(28, 95) + NamesIn(1, 25) + NamesIn(100, 126), "B");
    DockIcon::DeleteInstanceForTesting();

    Show(DockIcon::kTextIcon, { "C", "A" });
    DockIcon::Get()->UpdateIcon();
    EXPECT_EQ(Pair(), "C/A");
    DockIcon::DeleteInstanceForTesting();

    Show(DockIcon::kTextIcon, { "A", "B", "C" });
    std::vector<std::string> pairs;
    for (int tick = 0; tick < 4; ++tick) {
        DockIcon::Get()->SpendTime(EventRecord {});
        pairs.push_back(Pair());
    }
    EXPECT_EQ(pairs, (std::vector<std::string> { "A/B", "B/C", "C/A", "A/B" }));

    // The index (now 2) survives a settings change; one that the new list is shorter than starts again.
    Show(DockIcon::kTextIcon, { "C", "B", "A" });
    Preferences::Get()->NotifySubscribers();
    EXPECT_EQ(Pair(), "B/A");
    Show(DockIcon::kTextIcon, { "A", "B", "C", "D" });
    Preferences::Get()->NotifySubscribers();
    EXPECT_EQ(Pair(), "C/D");
    Show(DockIcon::kTextIcon, { "C", "B", "A" });
    Preferences::Get()->NotifySubscribers();
    EXPECT_EQ(Pair(), "C/B");
}

TEST_F(DockIconTest, AnEmptyTextListShowsOnlyTheBackground)
{
    Show(DockIcon::kTextIcon, {});
    DockIcon::Get()->UpdateIcon();
    QImage tile = Tile();
    for (int row = 1; row < 127; ++row) {
        for (int x = 1; x < 127; ++x)
            ASSERT_TRUE(IsBackground(tile.pixel(x, row))) << x << ", " << row;
    }
    EXPECT_TRUE(DockIcon::Get()->IsIdling());
}

TEST_F(DockIconTest, SettingsChangesRebuildTheListAndOtherTypesRestoreTheOrdinaryIcon)
{
    for (const char* name : { "A", "B", "C" })
        mMachine.AddTempSensor(name, 40);
    Show(DockIcon::kTextIcon, { "A" });
    DockIcon* icon = DockIcon::Get();
    ASSERT_EQ(icon->GetSensors().GetCount(), 1);

    Show(DockIcon::kTextIcon, { "C", "Gone", "A" });
    Preferences::Get()->NotifySubscribers();
    ASSERT_EQ(icon->GetSensors().GetCount(), 2);
    EXPECT_EQ(icon->GetSensors()[1], Sensor(3));
    EXPECT_EQ(icon->GetSensors()[2], Sensor(1));
    EXPECT_EQ(Pair(), "C/A") << "redrawn at once";
    EXPECT_TRUE(icon->IsIdling());

    QImage ordinary = ApplicationIcon::Image().convertToFormat(QImage::Format_ARGB32);
    for (uint32_t type : { 0u, 3u }) {
        Show(DockIcon::kGraphIcon, { "A" });
        Preferences::Get()->NotifySubscribers();
        ASSERT_TRUE(icon->IsIdling());
        ASSERT_FALSE(DockTile::Get()->IsShowingApplicationImage());

        Preferences::Get()->SetDockIconType(type);
        Preferences::Get()->NotifySubscribers();
        EXPECT_TRUE(DockTile::Get()->IsShowingApplicationImage()) << type;
        EXPECT_EQ(Tile(), ordinary) << type;
        EXPECT_FALSE(icon->IsIdling()) << type;
        EXPECT_EQ(icon->GetSensors().GetCount(), 0) << type;
    }
}

TEST(DockTileText, NamesWiderThanTheTileAreShortenedWithAnEllipsis)
{
    QImage image(128, 128, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    CGContext context(painter, 128);
    context.SelectFont("Helvetica", 14);

    std::string name = "CPU";
    EXPECT_FALSE(TruncText(128, name, context));
    EXPECT_EQ(name, "CPU");

    const std::string longName = "Processor heat sink, rear left, below the drive bay";
    name = longName;
    EXPECT_TRUE(TruncText(128, name, context));
    std::string kept = name.substr(0, name.size() - 3);
    EXPECT_EQ(kept + "…", name);
    EXPECT_EQ(longName.substr(0, kept.size()), kept);
    EXPECT_LE(context.GetTextWidth(name), 128);
    EXPECT_GT(context.GetTextWidth(longName.substr(0, kept.size() + 1) + "…"), 128) << "keeps all that fits";

    std::string degrees;
    for (int i = 0; i < 60; ++i)
        degrees += "\u00B0";
    EXPECT_TRUE(TruncText(128, degrees, context));
    EXPECT_EQ(degrees.substr(0, degrees.size() - 3).find_first_not_of("\xC2\xB0"), std::string::npos)
        << "no character split";
    EXPECT_EQ(degrees.size() % 2, 1u);
}

TEST(DockTray, MenuSendsTheMainCommands)
{
    struct Recorder : LCommander {
        bool ObeyCommand(CommandT command, void*) override
        {
            received.push_back(command);
            return true;
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
    LCommander::SetTarget(nullptr);
    EXPECT_EQ(titles,
        (std::vector<std::string> { "New Data Window", "New Graph Window", "Preferences\u2026", "Quit Kelvara" }));
    EXPECT_EQ(recorder.received, (std::vector<CommandT> { FourCC("RawD"), 2, cmd_Preferences, cmd_Quit }));
}
