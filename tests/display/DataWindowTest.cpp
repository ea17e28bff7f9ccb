#include "display/DataWindow.h"
#include "display/DataWindowGraph.h"
#include "display/DataWindowView.h"
#include "framework/LBevelButton.h"
#include "framework/LScroller.h"
#include "framework/LStaticText.h"
#include "framework/URegistrar.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"
#include "util/TemperatureUnits.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QMainWindow>
#include <QScreen>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

// The row panes from left to right, and the column each stands for (0: the name).
const std::vector<std::pair<int, std::string>> kColumns { { 0, "Na" }, { 1, "Tc" }, { 2, "Td" }, { 3, "Tl" },
    { 4, "Th" }, { 5, "Ti" }, { 6, "Ta" }, { 7, "PE" }, { 9, "Cu" }, { 10, "LT" }, { 11, "HT" }, { 12, "MI" },
    { 13, "MA" }, { 14, "Tp" } };
const std::vector<int> kDefaultColumns { 1, 2, 5, 6, 7 };
using Names = std::vector<std::string>;
const QRgb kColours[] = { qRgb(255, 0, 0), QColor::fromRgba64(0, 32767, 0).rgb(), qRgb(0, 0, 255) };
const QRgb kRed = kColours[0];
const QRgb kBlue = kColours[2];

// Pane frames as layout 129 places them, each in its view.
std::map<PaneIDT, SPaneInfo> LayoutPanes(const LPaneEntry& entry = UResources::GetLayout(DataWindow::kLayoutID))
{
    std::map<PaneIDT, SPaneInfo> panes;
    for (const LPaneEntry& pane : entry.GetSubpanes()) {
        panes[pane.GetPaneInfo().paneID] = pane.GetPaneInfo();
        panes.merge(LayoutPanes(pane));
    }
    return panes;
}

class DataWindowTest : public ::testing::Test {
protected:
    static constexpr int kRow = 6; // a row of panes below the window's own rows, for rows driven directly

    DataWindowTest()
    {
        URegistrar::RegisterFrameworkClasses();
        URegistrar::RegisterClass<DataWindow>(FourCC("Data"));
        URegistrar::RegisterClass<DataWindowGraph>(FourCC("Lgra"));
        const RGBColor colors[] = { { 65535, 0, 0 }, { 0, 32767, 0 }, { 0, 0, 65535 } };
        for (int i = 0; i < 3; ++i)
            Preferences::Get()->SetSensorColor(i, colors[i]);
    }
    ~DataWindowTest() override { LWindow::DeleteAllWindows(); }

    // A new window over the sensors, in discovery order, each with a second sample so that the graph draws
    // a line for it; sensor n draws in red, green, blue.
    DataWindow* NewWindow(const std::vector<std::pair<std::string, double>>& sensors)
    {
        for (const auto& [name, celsius] : sensors)
            mEntries.push_back(mMachine.AddTempSensor(name, celsius));
        for (ArrayIndexT i = 1; i <= Sampling::StartSensors().GetSensorArray()->GetCount(); ++i)
            Sampling::SampleNow(*Sensor(i));
        return dynamic_cast<DataWindow*>(LWindow::CreateWindow(DataWindow::kLayoutID, nullptr));
    }

    static TemperatureSensor* Sensor(ArrayIndexT index) { return (*SensorMaster::Get()->GetSensorArray())[index]; }

    // Board (the first sensor) reads celsius, and is sampled.
    void Read(double celsius)
    {
        mMachine.Registry().SetProperty(mEntries[0], "current-value", FixturePlatform::Fixed16(celsius));
        Sampling::SampleNow(*Sensor(1));
    }

    static LBevelButton* Popup(DataWindow* window, const char (&id)[5])
    {
        return dynamic_cast<LBevelButton*>(window->FindPaneByID(FourCC(id)));
    }

    static LStaticText* Text(DataWindow* window, const std::string& prefix, int row)
    {
        return dynamic_cast<LStaticText*>(window->FindPaneByID(LPaneEntry::RowPaneID(prefix, row)));
    }

    // Whether sensor colour position 0..2 shows anywhere in the window's graph.
    static bool GraphShows(DataWindow* window, int position)
    {
        QImage image = window->FindPaneByID(FourCC("GraV"))->RenderImage().convertToFormat(QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        const auto* end = pixels + image.width() * image.height();
        return std::find(pixels, end, kColours[position]) != end;
    }

    // Every row, header first, lies on its own 15-pixel line below the controls and shows its name and the
    // given columns side by side from the name pane's right edge; the window is exactly as large as the rows,
    // where the screen has room for them.
    static void ExpectRows(DataWindow* window, const Names& names, const std::vector<int>& columns)
    {
        std::map<PaneIDT, SPaneInfo> layout = LayoutPanes();
        int right = 0;
        for (int row = 0; row <= static_cast<int>(names.size()); ++row) {
            // Rows past those the layout makes at first are made like its first row, further down.
            int layoutRow = std::min(row, 1);
            SPaneInfo name = layout[LPaneEntry::RowPaneID("Na", layoutRow)];
            Rect line, frame;
            Text(window, "Na", row)->CalcPortFrameRect(line);
            EXPECT_EQ(line.left, name.left) << row;
            EXPECT_EQ(line.top, row == 0 ? 31 : 48 + 15 * (row - 1)) << row;
            EXPECT_EQ(Text(window, "Na", row)->GetDescriptor(), row == 0 ? "Sensor" : names[size_t(row - 1)]);
            right = line.right;
            for (const auto& [column, prefix] : kColumns) {
                LStaticText* pane = Text(window, prefix, row);
                ASSERT_NE(pane, nullptr) << prefix << row;
                bool shown = column == 0 || std::find(columns.begin(), columns.end(), column) != columns.end();
                ASSERT_EQ(pane->IsVisible(), shown) << prefix << row;
                if (!shown || column == 0)
                    continue;
                pane->CalcPortFrameRect(frame);
                EXPECT_EQ(frame.left, right) << prefix << row;
                EXPECT_EQ(frame.top, line.top) << prefix << row;
                EXPECT_EQ(frame.right - frame.left, layout[LPaneEntry::RowPaneID(prefix, layoutRow)].width) << prefix;
                right = frame.right;
            }
        }
        LStaticText* next = Text(window, "Na", static_cast<int>(names.size()) + 1);
        EXPECT_TRUE(next == nullptr || !next->IsVisible());
        int height = 48 + 15 * static_cast<int>(names.size());
        if (height <= QGuiApplication::primaryScreen()->availableGeometry().height() - 100) {
            EXPECT_EQ(window->GetWidth(), right);
            EXPECT_EQ(window->GetHeight(), height);
        } else {
            EXPECT_LT(window->GetHeight(), QGuiApplication::primaryScreen()->availableGeometry().height());
        }
    }

    FixturePlatform mMachine;
    std::vector<SensorRegistry::EntryID> mEntries;
};

}

// On every row, also on those beyond the 48 rows that the layout makes at first.
TEST_F(DataWindowTest, ColumnsFollowTheColumnPopup)
{
    // Twelve sensors from the registry, forty processors after them.
    std::vector<std::pair<std::string, double>> sensors;
    for (int i = 1; i <= 12; ++i)
        sensors.emplace_back("S" + std::to_string(i), 40);
    mMachine.Processors().SetReadings(std::vector<int32_t>(40, 50));
    DataWindow* window = NewWindow(sensors);
    Names names;
    for (ArrayIndexT i = 1; i <= 52; ++i)
        names.push_back(Sensor(i)->GetSensorName());

    // Items of the column pop-up picked in turn, and the columns shown after them.
    const std::pair<std::vector<int16_t>, std::vector<int>> steps[] = { { {}, kDefaultColumns },
        { { 1 }, { 2, 5, 6, 7 } }, { { 8 }, { 2, 5, 6, 7 } }, { { 1, 3, 4, 9, 14 }, { 1, 2, 3, 4, 5, 6, 7, 9, 14 } },
        { { 10, 11, 12, 13 }, { 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14 } },
        { { 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14 }, {} } };
    for (const auto& [items, shown] : steps) {
        for (int16_t item : items)
            Popup(window, "Disp")->UserChoseItem(item);
        SCOPED_TRACE(::testing::PrintToString(shown));
        ExpectRows(window, names, shown);
    }
}

// Regression: two sensors of one name shared their rows and their data file; the second is "Same 2".
TEST_F(DataWindowTest, RowsAndGraphFollowTheCheckedNamesInMenuOrder)
{
    DataWindow* window = NewWindow({ { "Same", 40 }, { "Other", 50 }, { "Same", 60 } });
    const Names all { "Same", "Other", "Same 2" };
    // Items chosen in turn (0: None, -1: All) and the rows after them, in the menu's order, not the clicks'.
    const std::pair<std::vector<int16_t>, Names> steps[]
        = { { {}, all }, { { 0 }, {} }, { { -1 }, all }, { { 2, 1, 3 }, {} }, { { 3, 2 }, { "Other", "Same 2" } } };
    for (const auto& [items, rows] : steps) {
        SCOPED_TRACE(::testing::PrintToString(items));
        for (int16_t item : items)
            item > 0 ? Popup(window, "Show")->UserChoseItem(item) : Popup(window, "Show")->UserChoseAll(item < 0);
        ExpectRows(window, rows, kDefaultColumns);
        for (int position = 0; position < 3; ++position)
            EXPECT_EQ(GraphShows(window, position), std::count(rows.begin(), rows.end(), all[position]) > 0);
    }
}

TEST_F(DataWindowTest, RecordRestoresRowsColumnsModeAndPlace)
{
    DataWindow* window = NewWindow({ { "CPU Die", 45 }, { "GPU", 50 }, { "Disk", 35 } });
    Popup(window, "Show")->UserChoseItem(2);
    for (int16_t item : { 1, 3, 12 })
        Popup(window, "Disp")->UserChoseItem(item);
    Popup(window, "GraB")->UserChoseItem(2);
    window->MoveWindowTo(150, 120);
    DataWindowPrefs before;
    window->GetWindowPrefs(&before);
    EXPECT_EQ(before.GetWindowRect(), (Rect { 120, 150, 120 + 48 + 30, int16_t(150 + window->GetWidth()) }));
    window->AttemptClose();
    EXPECT_TRUE(LWindow::GetWindowList().empty()) << "closing deletes the window";

    auto* restored = dynamic_cast<DataWindow*>(LWindow::CreateWindow(DataWindow::kLayoutID, nullptr));
    restored->SetWindowPrefs(&before);
    ExpectRows(restored, { "CPU Die", "Disk" }, { 2, 3, 5, 6, 7, 12 });
    EXPECT_EQ(dynamic_cast<DataWindowGraph*>(restored->FindPaneByID(FourCC("GraV")))->GetGraphMode(), 2);
    DataWindowPrefs after;
    restored->GetWindowPrefs(&after);
    EXPECT_EQ(after.GetWindowRect(), before.GetWindowRect());
    EXPECT_EQ(after.GetGraphMenuItem(), 2);
}

// Made larger by the user, the strip graph grows to at least a third of the height and takes what the rows do not
// need; the rows scroll where they do not fit, with the scroll bar beside the columns, never over them.
TEST_F(DataWindowTest, AResizedWindowSharesItsHeightBetweenTheGraphAndTheScrollingRows)
{
    std::vector<std::pair<std::string, double>> sensors;
    for (int i = 1; i <= 20; ++i)
        sensors.emplace_back("S" + std::to_string(i), 30 + i);
    DataWindow* window = NewWindow(sensors);
    window->Show();
    QCoreApplication::processEvents();
    auto* scroller = dynamic_cast<LScroller*>(window->FindPaneByID(FourCC("RScr")));
    auto* graph = window->FindPaneByID(FourCC("GraV"));
    const int bar = scroller->GetBarWidth();
    const int menu = window->GetTopLevel()->height() - window->GetHeight();
    // Asked for, then given; the graph's height and how far the rows scroll. Today's size is 564 x 348.
    const std::tuple<const char*, int, int, int, int, int, int> steps[] = {
        { "today's size", 564, 348, 564, 348, 24, 0 },
        { "smaller than the rows", 300, 100, 564, 348, 24, 0 },
        { "taller: the graph takes what the rows leave", 700, 600, 700, 600, 276, 0 },
        { "taller: the graph takes a third", 700, 400, 700, 400, 133, 57 },
        { "scrolling rows at the least width", 100, 400, 564 + bar, 400, 133, 57 },
    };
    for (auto [name, width, height, givenWidth, givenHeight, graphHeight, scroll] : steps) {
        SCOPED_TRACE(name);
        window->GetTopLevel()->resize(width, height + menu);
        QCoreApplication::processEvents();
        ASSERT_EQ(window->GetWidth(), givenWidth);
        ASSERT_EQ(window->GetHeight(), givenHeight);
        // Beside the pop-ups, across the rest of the width.
        Rect frame;
        Popup(window, "GraB")->CalcPortFrameRect(frame);
        const int16_t graphLeft = frame.right + 6;
        graph->CalcPortFrameRect(frame);
        EXPECT_EQ(frame, (Rect { 3, graphLeft, int16_t(3 + graphHeight), int16_t(givenWidth - 6) }));
        QImage strip = graph->RenderImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(strip.height(), graphHeight);
        EXPECT_EQ(strip.pixel(strip.width() / 2, strip.height() - 1), qRgb(204, 204, 204)) << "the border";
        EXPECT_TRUE(GraphShows(window, 0));
        Text(window, "Na", 0)->CalcPortFrameRect(frame);
        EXPECT_EQ(frame.top, graphHeight + 7);
        EXPECT_EQ(scroller->GetScrollRange(), scroll);
        // Scrolled to the end, the last row ends at the window's bottom edge.
        scroller->ScrollTo(scroll);
        Text(window, "Na", 20)->CalcPortFrameRect(frame);
        EXPECT_EQ(frame.bottom, scroll > 0 ? givenHeight : graphHeight + 24 + 300);
        scroller->ScrollTo(0);
    }

    // The size is recorded and comes back, no smaller than the rows need (a record of 500 x 90).
    window->GetTopLevel()->resize(700, 400 + menu);
    QCoreApplication::processEvents();
    DataWindowPrefs record;
    window->GetWindowPrefs(&record);
    window->AttemptClose();
    for (auto [recorded, restored] : { std::pair { QSize(), QSize(700, 400) }, { QSize(500, 90), QSize(564, 348) } }) {
        if (recorded.isValid())
            record.SetWindowRect(Rect { 100, 100, int16_t(100 + recorded.height()), int16_t(100 + recorded.width()) });
        auto* again = dynamic_cast<DataWindow*>(LWindow::CreateWindow(DataWindow::kLayoutID, nullptr));
        again->SetWindowPrefs(&record);
        EXPECT_EQ(QSize(again->GetWidth(), again->GetHeight()), restored);
        again->AttemptClose();
    }

    // A new window with more rows than the screen has room for is cut to the screen, its rows scrolling.
    for (int i = 21; i <= 50; ++i)
        mEntries.push_back(mMachine.AddTempSensor("S" + std::to_string(i), 30));
    SensorMaster::DeleteInstanceForTesting();
    auto* tall = dynamic_cast<DataWindow*>(LWindow::CreateWindow(DataWindow::kLayoutID, nullptr));
    tall->Show();
    QCoreApplication::processEvents();
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(tall->GetTopLevel()->frameGeometry().height(), screen.height());
    EXPECT_GT(tall->GetHeight(), screen.height() - 100);
    EXPECT_EQ(tall->GetWidth(), 564 + bar);
    EXPECT_EQ(dynamic_cast<LScroller*>(tall->FindPaneByID(FourCC("RScr")))->GetScrollRange(),
        48 + 15 * 50 - tall->GetHeight());
}

// The update of one row after a sample, driven directly.
TEST_F(DataWindowTest, ARowShowsEveryColumnAndTheLastVisibleChangeInItsStyle)
{
    // The limits are read when the sensor is found.
    mEntries.push_back(mMachine.AddTempSensor("Board", 30));
    mMachine.Registry().SetProperty(mEntries[0], "low-threshold", FixturePlatform::Fixed16(10));
    mMachine.Registry().SetProperty(mEntries[0], "high-threshold", FixturePlatform::Fixed16(90));
    DataWindow* window = NewWindow({ { "Outside", -5 }, { "Hot spot", 110 } });
    Read(50);
    Read(40);
    LStaticText* change = Text(window, "Td", kRow);
    LStaticText* current = Text(window, "Tc", kRow);
    const ResIDT layoutTraits = change->GetTextTraitsID();
    const ResIDT currentTraits = current->GetTextTraitsID();

    // Fahrenheit; Board reads 40C between 30C and 50C, with thresholds 10C and 90C (16.16 raw).
    const std::vector<std::map<std::string, std::string>> expected {
        { { "Na", "Board" }, { "Tc", "104°F" }, { "Td", "0°F" }, { "Tl", "50°F" }, { "Th", "194°F" }, { "Ti", "86°F" },
            { "Ta", "122°F" }, { "PE", "50%" }, { "Cu", "280000" }, { "LT", "a0000" }, { "HT", "5a0000" },
            { "MI", "1e0000" }, { "MA", "320000" }, { "Tp", "1" } },
        { { "Na", "Outside" }, { "Tc", "23°F" }, { "Td", "0°F" }, { "Tl", "n/a" }, { "Th", "n/a" },
            { "Cu", "fffb0000" }, { "LT", "n/a" }, { "HT", "n/a" } },
        { { "Na", "Hot spot" }, { "Tc", "230°F" }, { "Ta", "230°F" }, { "PE", "100%" }, { "Cu", "6e0000" } },
    };
    // Readings and the change column's text and style (0: as the layout has it). In Fahrenheit, truncated: 40C is 104,
    // 41C 105, 39C 102, 50C 122, 52C 125, 51C 123; 51.8C rounds to 52C.
    const std::tuple<double, const char*, ResIDT> steps[] { { 40.4, "0°F", 0 }, { 41, "1°F", 138 }, { 39, "-3°F", 136 },
        { 50, "20°F", 137 }, { 50.3, "20°F", 137 }, { 52, "3°F", 137 }, { 51, "-2°F", 136 }, { 51.8, "2°F", 138 } };
    // At or above the high limit (max, else crit) the current value is red and bold.
    const std::pair<double, bool> alarms[] = { { 89.99, false }, { 90.0, true }, { 89.0, false }, { 110.0, true } };
    for (ArrayIndexT index : { 1, 2, 3 }) {
        {
            // A new row fills its texts at once, and a row after Board's changes and alarms starts plain.
            DataWindowView row(window, kRow, Sensor(index), 0x7FFEu);
            for (const auto& [prefix, text] : expected[static_cast<size_t>(index - 1)])
                EXPECT_EQ(Text(window, prefix, kRow)->GetDescriptor(), text) << prefix;
            EXPECT_EQ(change->GetTextTraitsID(), layoutTraits);
            EXPECT_EQ(current->GetTextTraitsID(), currentTraits) << "no alarm, also not at 110C without a limit";
            if (index == 1) {
                for (auto [celsius, text, traits] : steps) {
                    Read(celsius);
                    row.UpdateDisplay();
                    EXPECT_EQ(change->GetDescriptor(), text) << celsius;
                    EXPECT_EQ(change->GetTextTraitsID(), traits == 0 ? layoutTraits : traits) << celsius;
                }
                // The change held from 51C to 52C, shown in the scale chosen since.
                Preferences::Get()->SetTemperatureScale(kScaleCelsius);
                row.UpdateDisplay();
                EXPECT_EQ(change->GetDescriptor(), "1C");
                Preferences::Get()->SetTemperatureScale(kScaleFahrenheit);
                for (auto [celsius, alarm] : alarms) {
                    Read(celsius);
                    row.UpdateDisplay();
                    const TextTraits& traits = current->GetTextTraits();
                    EXPECT_EQ(traits.bold && traits.color.red > 50000 && traits.color.green == 0, alarm) << celsius;
                }
            }
        }
        // A row that goes puts its panes back where the layout had them, hidden.
        Rect frame;
        Text(window, "Tp", kRow)->CalcPortFrameRect(frame);
        EXPECT_EQ(frame.left, LayoutPanes()[LPaneEntry::RowPaneID("Tp", kRow)].left);
        EXPECT_FALSE(Text(window, "Tp", kRow)->IsVisible());
    }
}

// The strip graph is drawn again only when a line would move, and a hidden window draws nothing at all.
TEST_F(DataWindowTest, OnlyAPictureThatChangesIsDrawnAndAHiddenWindowDrawsNothing)
{
    struct PaintCounter : QObject {
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
        int paints = 0;
    } counter;
    DataWindow* window = NewWindow({ { "A", 40 }, { "B", 50 } });
    auto* graph = dynamic_cast<DataWindowGraph*>(window->FindPaneByID(FourCC("GraV")));
    graph->GetWidget()->installEventFilter(&counter);
    // Histories longer than the plot is wide, so that a sample only moves the lines along.
    for (int sample = 0; sample <= graph->GetWidth(); ++sample) {
        Sampling::SampleNow(*Sensor(1));
        Sampling::SampleNow(*Sensor(2));
    }
    const std::tuple<const char*, bool, double, bool> steps[] = { { "the same reading", true, 40, false },
        { "a degree warmer", true, 41, true }, { "hidden, warmer still", false, 45, false } };
    for (const auto& [name, shown, reading, drawn] : steps) {
        SCOPED_TRACE(name);
        shown ? window->Show() : window->Hide();
        QCoreApplication::processEvents();
        counter.paints = 0;
        Read(reading);
        SensorMaster::Get()->BroadcastMessage(msg_SamplesRecorded);
        QCoreApplication::processEvents();
        EXPECT_EQ(counter.paints > 0, drawn);
        // What it would draw is what a graph that never drew before draws.
        QJsonObject entry { { "class", "Lgra" },
            { "frame", QJsonArray { 0, 0, graph->GetWidth(), graph->GetHeight() } } };
        DataWindowGraph fresh { LPaneEntry(entry) };
        fresh.AddSensor(Sensor(1));
        fresh.AddSensor(Sensor(2));
        EXPECT_TRUE(graph->RenderImage() == fresh.RenderImage());
    }
}

// Everything but the given points: the border all round, background right of the oldest sample; a pane
// too narrow for a plot stays unpainted. With a pane 43 high the plot is h = 40: 100 % on row 1, just below the
// top border, 0 % on row 41.
TEST(DataWindowGraph, PutsTheNewestSampleOnePixelInsideTheLeftBorder)
{
    const struct {
        const char* name;
        std::vector<std::vector<double>> readings; // per sensor, oldest first; sensor 1 draws in red, 2 in blue
        int width, height;
        int16_t mode;
        std::vector<std::tuple<int, int, QRgb>> points; // x, y, colour
    } cases[] = {
        { "Empty", {}, 13, 20, 1, {} },
        { "TooNarrowForAPlot", { { 30, 50, 40 } }, 12, 20, 1, {} },
        // 31 in 30..33 is 33 %, times h = 60 is 19 rows; multiplying before dividing would give 20.
        { "RangeTruncatesThePercentageFirst", { { 30, 33, 31 } }, 60, 63, 1,
            { { 1, 42, kRed }, { 2, 1, kRed }, { 3, 61, kRed } } },
        { "RangeWithoutSpreadOnTheBottomRow", { { 40, 40, 40 } }, 60, 43, 1,
            { { 1, 41, kRed }, { 2, 41, kRed }, { 3, 41, kRed } } },
        // The common range is 30..80: 50 is 40 %, 60 is 60 %.
        { "RangeIsCommonToAllSensors", { { 30, 50 }, { 60, 80 } }, 60, 43, 1,
            { { 1, 25, kRed }, { 2, 41, kRed }, { 1, 1, kBlue }, { 2, 17, kBlue } } },
        { "AnyOtherModeIsRange", { { 30, 50 }, { 60, 80 } }, 60, 43, 3, { { 1, 25, kRed }, { 1, 1, kBlue } } },
        // Each at its own maximum after its own minimum: the later sensor covers the earlier one.
        { "PercentOfEachSensorsOwnRange", { { 30, 50 }, { 60, 80 } }, 60, 43, 2,
            { { 1, 1, kBlue }, { 2, 41, kBlue } } },
        // 22 readings in a plot 20 wide.
        { "NoMorePointsThanThePlotIsWide",
            { { 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50 } }, 22, 43, 1,
            { { 1, 1, kRed }, { 20, 41, kRed } } },
    };
    for (const auto& [name, readings, width, height, mode, points] : cases) {
        SCOPED_TRACE(name);
        FixturePlatform machine;
        // Away from its superview's origin, so that drawing in the wrong coordinates shows.
        QJsonObject entry { { "class", "Lgra" }, { "frame", QJsonArray { 30, 7, width, height } } };
        DataWindowGraph graph { LPaneEntry(entry) };
        std::vector<SensorRegistry::EntryID> ids;
        for (const std::vector<double>& history : readings)
            ids.push_back(machine.AddTempSensor("Sensor " + std::to_string(ids.size() + 1), history.front()));
        int longest = 0;
        Sampling::StartSensors();
        for (size_t i = 0; i < readings.size(); ++i) {
            TemperatureSensor* sensor = (*SensorMaster::Get()->GetSensorArray())[static_cast<ArrayIndexT>(i + 1)];
            for (size_t j = 1; j < readings[i].size(); ++j) {
                machine.Registry().SetProperty(ids[i], "current-value", FixturePlatform::Fixed16(readings[i][j]));
                Sampling::SampleNow(*sensor);
            }
            graph.AddSensor(sensor);
            longest = std::max(longest, static_cast<int>(readings[i].size()));
        }
        Preferences::Get()->SetSensorColor(0, RGBColor { 65535, 0, 0 });
        Preferences::Get()->SetSensorColor(1, RGBColor { 0, 0, 65535 });
        graph.SetGraphMode(mode);
        QImage image = graph.RenderImage().convertToFormat(QImage::Format_RGB32);

        for (auto [x, y, color] : points)
            EXPECT_EQ(image.pixel(x, y), color) << x << "," << y;
        // The palette's base colour, white, in a border a fifth of the way to its black text.
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1;
                QRgb expected = width <= 12 || !edge ? qRgb(255, 255, 255) : qRgb(204, 204, 204);
                if (width <= 12 || edge || x > longest) {
                    ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
                }
            }
        }
    }
}
