#include "display/DataWindow.h"
#include "display/DataWindowGraph.h"
#include "display/DataWindowView.h"
#include "framework/LBevelButton.h"
#include "framework/LStaticText.h"
#include "framework/URegistrar.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// The row panes from left to right, and the column each stands for (0: the name).
const std::vector<std::pair<int, std::string>> kColumns { { 0, "Na" }, { 1, "Tc" }, { 2, "Td" }, { 3, "Tl" },
    { 4, "Th" }, { 5, "Ti" }, { 6, "Ta" }, { 7, "PE" }, { 9, "Cu" }, { 10, "LT" }, { 11, "HT" }, { 12, "MI" },
    { 13, "MA" }, { 14, "Tp" } };
const std::vector<int> kDefaultColumns { 1, 2, 5, 6, 7 };

// Pane frames as layout 129 places them.
std::map<PaneIDT, SPaneInfo> LayoutPanes()
{
    std::map<PaneIDT, SPaneInfo> panes;
    for (const LPaneEntry& entry : UResources::GetLayout(DataWindow::kLayoutID).GetSubpanes())
        panes[entry.GetPaneInfo().paneID] = entry.GetPaneInfo();
    return panes;
}

class DataWindowTest : public ::testing::Test {
protected:
    DataWindowTest()
    {
        URegistrar::RegisterFrameworkClasses();
        URegistrar::RegisterClass<DataWindow>(FourCC("Data"));
        URegistrar::RegisterClass<DataWindowGraph>(FourCC("Lgra"));
    }
    ~DataWindowTest() override { LWindow::DeleteAllWindows(); }

    // Sensors in discovery order, each with a second sample so that the graph draws a line for it; sensor
    // n draws in the colour of position n - 1.
    void InstallSensors(const std::vector<std::pair<std::string, double>>& sensors)
    {
        for (const auto& [name, celsius] : sensors)
            mEntries.push_back(mMachine.AddTempSensor(name, celsius));
        for (ArrayIndexT i = 1; i <= SensorMaster::Get()->GetSensorArray()->GetCount(); ++i)
            Sensor(i)->CreateNewEvent();
        const RGBColor colors[] = { { 65535, 0, 0 }, { 0, 65535, 0 }, { 0, 0, 65535 } };
        for (int i = 0; i < 3; ++i)
            Preferences::Get()->SetSensorColor(i, colors[i]);
    }

    static TemperatureSensor* Sensor(ArrayIndexT index) { return (*SensorMaster::Get()->GetSensorArray())[index]; }

    static DataWindow* NewWindow()
    {
        auto* window = dynamic_cast<DataWindow*>(LWindow::CreateWindow(DataWindow::kLayoutID, nullptr));
        EXPECT_NE(window, nullptr);
        return window;
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
        const QRgb colors[] = { qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255) };
        QImage image = window->FindPaneByID(FourCC("GraV"))->RenderImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == colors[position])
                    return true;
            }
        }
        return false;
    }

    // Every row, header first, shows its name and the given columns side by side from the name pane's right
    // edge, on the row's own line; the window is exactly as large as the rows.
    static void ExpectRows(DataWindow* window, const std::vector<std::string>& names, const std::vector<int>& columns)
    {
        std::map<PaneIDT, SPaneInfo> layout = LayoutPanes();
        int right = 0;
        for (int row = 0; row <= static_cast<int>(names.size()); ++row) {
            const SPaneInfo& name = layout[LPaneEntry::RowPaneID("Na", row)];
            right = name.left + name.width;
            for (const auto& [column, prefix] : kColumns) {
                LStaticText* pane = Text(window, prefix, row);
                bool shown = column == 0 || std::find(columns.begin(), columns.end(), column) != columns.end();
                ASSERT_EQ(pane->IsVisible(), shown) << prefix << row;
                if (!shown || column == 0)
                    continue;
                Rect frame;
                pane->CalcPortFrameRect(frame);
                EXPECT_EQ(frame.left, right) << prefix << row;
                EXPECT_EQ(frame.top, name.top) << prefix << row;
                EXPECT_EQ(frame.right - frame.left, layout[pane->GetPaneID()].width) << prefix << row;
                right = frame.right;
            }
            if (row > 0) {
                EXPECT_EQ(Text(window, "Na", row)->GetDescriptor(), names[static_cast<size_t>(row - 1)]);
            }
        }
        EXPECT_FALSE(Text(window, "Na", static_cast<int>(names.size()) + 1)->IsVisible());
        EXPECT_EQ(window->GetWidth(), right);
        EXPECT_EQ(window->GetHeight(), 48 + 15 * static_cast<int>(names.size()));
    }

    FixturePlatform mMachine;
    std::vector<SensorRegistry::EntryID> mEntries;
};

}

TEST_F(DataWindowTest, LayoutOffersThirtyTwoRowsEachOnOneLineBelowTheControls)
{
    InstallSensors({ { "CPU Die", 45 } });
    DataWindow* window = NewWindow();
    for (int row = 0; row <= 32; ++row) {
        Rect name;
        Text(window, "Na", row)->CalcPortFrameRect(name);
        EXPECT_EQ(name.top, row == 0 ? name.top : 48 + 15 * (row - 1));
        EXPECT_LE(name.bottom, 48 + 15 * row);
        for (const auto& [column, prefix] : kColumns) {
            LStaticText* pane = Text(window, prefix, row);
            ASSERT_NE(pane, nullptr) << prefix << row;
            Rect frame;
            pane->CalcPortFrameRect(frame);
            EXPECT_EQ(frame.top, name.top) << prefix << row;
        }
    }
    // With no column shown the window is as wide as the name pane: the controls must fit above it.
    std::map<PaneIDT, SPaneInfo> panes = LayoutPanes();
    const SPaneInfo& graph = panes[FourCC("GraV")];
    for (const char* id : { "Show", "Disp", "GraB" }) {
        const SPaneInfo& popup = panes[FourCCFromText(id)];
        EXPECT_LE(popup.left + popup.width, graph.left) << id;
        EXPECT_LE(popup.top + popup.height, panes[FourCC("Na00")].top) << id;
    }
    EXPECT_TRUE(graph.bindings.left && graph.bindings.right && !graph.bindings.bottom);
}

TEST_F(DataWindowTest, NewWindowShowsEverySensorWithTheDefaultColumns)
{
    InstallSensors({ { "CPU Die", 45 }, { "GPU", 50 }, { "Disk", 35 } });
    DataWindow* window = NewWindow();
    ExpectRows(window, { "CPU Die", "GPU", "Disk" }, kDefaultColumns);
    EXPECT_EQ(Text(window, "Na", 0)->GetDescriptor(), "Sensor");
    EXPECT_EQ(Text(window, "Td", 2)->GetDescriptor(), "0\u00B0F") << "a new row shows no change";
    EXPECT_EQ(window->GetCurrentSensorDisplayMask(), 0b1110'0110u);
    EXPECT_EQ(Popup(window, "GraB")->GetCurrentMenuItem(), 1);
    for (int position : { 0, 1, 2 })
        EXPECT_TRUE(GraphShows(window, position)) << position;
}

struct ColumnCase {
    const char* name;
    std::vector<int16_t> toggled; // items of the column pop-up picked, starting from a new window
    std::vector<int> shown;
};

class DataWindowColumns : public DataWindowTest, public ::testing::WithParamInterface<ColumnCase> { };

TEST_P(DataWindowColumns, FollowTheColumnPopup)
{
    InstallSensors({ { "CPU Die", 45 }, { "GPU", 50 } });
    DataWindow* window = NewWindow();
    for (int16_t item : GetParam().toggled)
        Popup(window, "Disp")->UserChoseItem(item);
    ExpectRows(window, { "CPU Die", "GPU" }, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, DataWindowColumns,
    ::testing::Values(ColumnCase { "WithoutCurrentLaterColumnsMoveLeft", { 1 }, { 2, 5, 6, 7 } },
        ColumnCase { "ThresholdsAndRawValues", { 3, 4, 9, 14 }, { 1, 2, 3, 4, 5, 6, 7, 9, 14 } },
        ColumnCase { "ItemEightHasNoColumn", { 8 }, kDefaultColumns },
        ColumnCase { "NoneLeavesTheNameColumnAlone", { 1, 2, 5, 6, 7 }, {} },
        ColumnCase { "Every", { 3, 4, 9, 10, 11, 12, 13, 14 }, { 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14 } }),
    [](const ::testing::TestParamInfo<ColumnCase>& info) { return std::string(info.param.name); });

TEST_F(DataWindowTest, RowsAndGraphFollowTheSensorPopupInMenuOrder)
{
    InstallSensors({ { "CPU Die", 45 }, { "GPU", 50 }, { "Disk", 35 } });
    DataWindow* window = NewWindow();
    for (int16_t item : { 2, 1, 3 })
        Popup(window, "Show")->UserChoseItem(item);
    ExpectRows(window, {}, kDefaultColumns);
    EXPECT_FALSE(GraphShows(window, 0));
    for (int16_t item : { 3, 2 })
        Popup(window, "Show")->UserChoseItem(item);
    ExpectRows(window, { "GPU", "Disk" }, kDefaultColumns);
    EXPECT_FALSE(GraphShows(window, 0));
    EXPECT_TRUE(GraphShows(window, 1) && GraphShows(window, 2));
}

TEST_F(DataWindowTest, ASharedNameShowsTheFirstSensorAndAVanishedNameNone)
{
    InstallSensors({ { "Same", 40 }, { "Other", 50 }, { "Same", 60 } });
    DataWindow* window = NewWindow();
    ExpectRows(window, { "Same", "Other", "Same" }, kDefaultColumns);
    EXPECT_FALSE(GraphShows(window, 2)) << "both rows named Same are the first sensor";

    mMachine.Registry().SetProperty(mEntries[1], "location", std::string("Other, renamed"));
    Popup(window, "Disp")->UserChoseItem(1);
    ExpectRows(window, { "Same", "Same" }, { 2, 5, 6, 7 });
}

TEST_F(DataWindowTest, RecordsRoundTripThroughThePreferencesFile)
{
    InstallSensors({ { "CPU Die", 45 }, { "GPU", 50 }, { "Disk", 35 } });
    DataWindow* window = NewWindow();
    Preferences::Get()->AddDataWindow(window);
    Popup(window, "Show")->UserChoseItem(2);
    for (int16_t item : { 1, 3, 12 })
        Popup(window, "Disp")->UserChoseItem(item);
    Popup(window, "GraB")->UserChoseItem(2);
    window->MoveWindowTo(150, 120);
    DataWindowPrefs before;
    window->GetWindowPrefs(&before);
    EXPECT_EQ(before.GetWindowRect(),
        (Rect { 120, 150, static_cast<int16_t>(120 + 48 + 30), static_cast<int16_t>(150 + window->GetWidth()) }));

    Preferences::SavePrefs();
    LWindow::DeleteAllWindows();
    Preferences::DeleteInstanceForTesting();
    Preferences::Get();
    Preferences::ReadPrefs();
    ASSERT_EQ(Preferences::Get()->GetDataWindowPrefsArray()->GetCount(), 1);

    DataWindow* restored = NewWindow();
    restored->SetWindowPrefs((*Preferences::Get()->GetDataWindowPrefsArray())[1]);
    ExpectRows(restored, { "CPU Die", "Disk" }, { 2, 3, 5, 6, 7, 12 });
    EXPECT_EQ(dynamic_cast<DataWindowGraph*>(restored->FindPaneByID(FourCC("GraV")))->GetGraphMode(), 2);
    DataWindowPrefs after;
    restored->GetWindowPrefs(&after);
    EXPECT_EQ(after.GetWindowRect(), before.GetWindowRect());
    EXPECT_EQ(after.GetSensorDisplayMask(), before.GetSensorDisplayMask());
    EXPECT_EQ(after.GetGraphMenuItem(), 2);
    ASSERT_EQ(after.GetSensorNames()->GetCount(), 2);
    EXPECT_EQ(Str255ToString((*after.GetSensorNames())[2]), "Disk");
}

TEST_F(DataWindowTest, ClosingAnnouncesTheWindowThenDeletesIt)
{
    InstallSensors({ { "CPU Die", 45 } });
    struct Log : LListener {
        void ListenToMessage(MessageT message, void* parameter) override { heard.emplace_back(message, parameter); }
        std::vector<std::pair<MessageT, void*>> heard;
    } log;
    DataWindow* window = NewWindow();
    window->AddListener(&log);
    void* announced = static_cast<RecordedDataWindow*>(window);
    window->AttemptClose();
    EXPECT_EQ(log.heard, (std::vector<std::pair<MessageT, void*>> { { FourCC("DatR"), announced } }));
    EXPECT_TRUE(LWindow::GetWindowList().empty());
}

// The 3-second update of one row, driven directly: a row of its own below the window's rows.
class DataWindowRow : public DataWindowTest {
protected:
    static constexpr int kRow = 6;

    void SetReading(size_t sensor, double celsius)
    {
        mMachine.Registry().SetProperty(mEntries[sensor], "current-value", FixturePlatform::Fixed16(celsius));
    }
};

TEST_F(DataWindowRow, ShowsEveryColumnInItsFormat)
{
    InstallSensors({ { "Board", 30 }, { "Outside", -5 } });
    mMachine.Registry().SetProperty(mEntries[0], "low-threshold", FixturePlatform::Fixed16(10));
    mMachine.Registry().SetProperty(mEntries[0], "high-threshold", FixturePlatform::Fixed16(90));
    SetReading(0, 60);
    Sensor(1)->CreateNewEvent();
    SetReading(0, 45);
    DataWindow* window = NewWindow();

    // Fahrenheit; Board reads 45C between 30C and 60C, with thresholds 10C and 90C (16.16 raw).
    const std::vector<std::map<std::string, std::string>> expected {
        { { "Na", "Board" }, { "Tc", "113°F" }, { "Td", "0°F" }, { "Tl", "50°F" }, { "Th", "194°F" }, { "Ti", "86°F" },
            { "Ta", "140°F" }, { "PE", "50%" }, { "Cu", "2d0000" }, { "LT", "a0000" }, { "HT", "5a0000" },
            { "MI", "1e0000" }, { "MA", "3c0000" }, { "Tp", "1" } },
        { { "Na", "Outside" }, { "Tc", "23°F" }, { "Tl", "n/a" }, { "Th", "n/a" }, { "Cu", "fffb0000" },
            { "LT", "n/a" }, { "HT", "n/a" } },
    };
    for (ArrayIndexT index : { 1, 2 }) {
        {
            // A new row fills its texts at once, not only at its first update.
            DataWindowView row(window, kRow, Sensor(index), 0x7FFEu);
            for (const auto& [prefix, text] : expected[static_cast<size_t>(index - 1)])
                EXPECT_EQ(Text(window, prefix, kRow)->GetDescriptor(), text) << prefix;
        }
        // A row that goes puts its panes back where the layout had them, hidden.
        Rect frame;
        Text(window, "Tp", kRow)->CalcPortFrameRect(frame);
        EXPECT_EQ(frame.left, LayoutPanes()[LPaneEntry::RowPaneID("Tp", kRow)].left);
        EXPECT_FALSE(Text(window, "Tp", kRow)->IsVisible());
    }
}

TEST_F(DataWindowRow, ChangeColumnShowsTheLastVisibleChangeInItsStyle)
{
    InstallSensors({ { "CPU Die", 45 } });
    SetReading(0, 50);
    Sensor(1)->CreateNewEvent();
    SetReading(0, 40);
    DataWindow* window = NewWindow();
    auto row = std::make_unique<DataWindowView>(window, kRow, Sensor(1), 1u << 2);
    LStaticText* change = Text(window, "Td", kRow);
    ResIDT layoutTraits = change->GetTextTraitsID();

    struct Step {
        double celsius;
        const char* text;
        ResIDT traits; // 0: as the layout has it
    };
    // In Fahrenheit, truncated: 40C is 104, 41C 105, 39C 102, 50C 122, 52C 125, 51C 123; 51.8C rounds to 52C.
    const Step steps[] = { { 40.4, "0°F", 0 }, { 41, "1°F", 138 }, { 39, "-3°F", 136 }, { 50, "20°F", 137 },
        { 50.3, "20°F", 137 }, { 52, "3°F", 137 }, { 51, "-2°F", 136 }, { 51.8, "2°F", 138 } };
    for (const Step& step : steps) {
        SetReading(0, step.celsius);
        row->UpdateDisplay();
        EXPECT_EQ(change->GetDescriptor(), step.text) << step.celsius;
        EXPECT_EQ(change->GetTextTraitsID(), step.traits == 0 ? layoutTraits : step.traits) << step.celsius;
    }

    // The next row on these panes does not inherit the style of the last change.
    row.reset();
    row = std::make_unique<DataWindowView>(window, kRow, Sensor(1), 1u << 2);
    EXPECT_EQ(change->GetDescriptor(), "0°F");
    EXPECT_EQ(change->GetTextTraitsID(), layoutTraits);
}
