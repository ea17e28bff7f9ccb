#include "display/GraphWindow.h"
#include "display/GraphWindowView.h"
#include "framework/LBevelButton.h"
#include "framework/LStaticText.h"
#include "framework/URegistrar.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/Preferences.h"
#include "tests/support/FixturePlatform.h"

#include <QCoreApplication>
#include <QMainWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;
const std::string kUntitled = "Temperature History";

class GraphWindowTest : public ::testing::Test {
protected:
    GraphWindowTest()
    {
        URegistrar::RegisterFrameworkClasses();
        URegistrar::RegisterClass<GraphWindow>(FourCC("Graf"));
        URegistrar::RegisterClass<GraphWindowView>(FourCC("GViw"));
    }
    ~GraphWindowTest() override { LWindow::DeleteAllWindows(); }

    GraphWindow* NewWindow(const Names& sensorNames = {})
    {
        for (const std::string& name : sensorNames)
            ids.push_back(platform.AddTempSensor(name, 40));
        auto* window = dynamic_cast<GraphWindow*>(LWindow::CreateWindow(128, nullptr));
        EXPECT_NE(window, nullptr);
        return window;
    }

    static LStaticText* LegendPane(GraphWindow* window, int entry)
    {
        return dynamic_cast<LStaticText*>(window->FindPaneByID(LPaneEntry::RowPaneID("Tx", entry)));
    }

    // The legend's texts, "" for a hidden entry, up to the last one shown.
    static Names Legend(GraphWindow* window)
    {
        Names texts;
        for (int entry = 1; LegendPane(window, entry) != nullptr; ++entry)
            texts.push_back(LegendPane(window, entry)->IsVisible() ? LegendPane(window, entry)->GetDescriptor() : "");
        while (!texts.empty() && texts.back().empty())
            texts.pop_back();
        return texts;
    }

    FixturePlatform platform;
    std::vector<SensorRegistry::EntryID> ids;
};

}

TEST_F(GraphWindowTest, LegendAndTitleFollowTheSensorsPlotted)
{
    GraphWindow* window = NewWindow({ "A", "B", "C" });
    EXPECT_EQ(Legend(window), (Names { "A", "B", "C" }));
    EXPECT_EQ(window->GetDescriptor(), kUntitled);
    EXPECT_EQ(LegendPane(window, 2)->GetForeColor(), (RGBColor { 65535, 0, 0 }));

    // A checked name that no sensor has any more is neither plotted nor in the legend, whose entries close
    // up, each in its sensor's colour.
    platform.Registry().SetProperty(ids[1], "location", std::string("B renamed"));
    Preferences::Get()->NotifySubscribers();
    EXPECT_EQ(Legend(window), (Names { "A", "C" }));
    EXPECT_EQ(LegendPane(window, 2)->GetForeColor(), (RGBColor { 0, 0, 65535 }));

    // The title is the name of the one sensor plotted, else string 4 of list 201.
    const std::pair<int16_t, Names> steps[] = { { 1, { "C" } }, { 3, {} }, { 1, { "A" } } };
    for (const auto& [item, legend] : steps) {
        window->GetSensorPopup()->UserChoseItem(item);
        EXPECT_EQ(Legend(window), legend) << "after toggling " << item;
        EXPECT_EQ(window->GetDescriptor(), legend.size() == 1 ? legend[0] : kUntitled);
        EXPECT_EQ(window->GetGraphView()->GetSensors().GetCount(), static_cast<int32_t>(legend.size()));
    }

    Preferences::Get()->SetDisplayLegend(false);
    Preferences::Get()->NotifySubscribers();
    EXPECT_TRUE(Legend(window).empty());
    EXPECT_EQ(window->GetGraphView()->GetSensors().GetCount(), 1);
    window->GetModePopup()->UserChoseItem(2);
    EXPECT_EQ(window->GetGraphView()->GetGraphMode(), GraphWindowView::kPercentMode);
}

TEST_F(GraphWindowTest, EveryPlottedSensorHasALegendEntryInItsOwnColour)
{
    // Twelve distinct stored colours, as the user may choose them; sensors 13 on take the extension's.
    for (int32_t position = 0; position < 12; ++position)
        Preferences::Get()->SetSensorColor(position, RGBColor { static_cast<uint16_t>(position * 0x1000), 0, 0 });
    Names names;
    for (int i = 1; i <= 20; ++i)
        names.push_back("S" + std::to_string(i));
    platform.Processors().SetReadings({ 50 });
    GraphWindow* window = NewWindow(names);
    names.push_back("CPU temperature");
    EXPECT_EQ(Legend(window), names);
    EXPECT_EQ(window->GetGraphView()->GetSensors().GetCount(), 21);
    std::vector<RGBColor> colours;
    for (int entry = 1; entry <= 21; ++entry) {
        RGBColor colour = LegendPane(window, entry)->GetForeColor();
        EXPECT_EQ(std::count(colours.begin(), colours.end(), colour), 0) << "entry " << entry;
        colours.push_back(colour);
    }

    // More entries than fit beside the graph: the legend's image holds them all, and it scrolls.
    auto* legend = dynamic_cast<LView*>(window->FindPaneByID(GraphWindow::kLegendViewID));
    ASSERT_NE(legend, nullptr);
    Rect last;
    LegendPane(window, 21)->CalcLocalFrameRect(last);
    EXPECT_GT(last.bottom, legend->GetHeight());
    EXPECT_GE(legend->GetImageHeight(), last.bottom);
    window->GetSensorPopup()->UserChoseItem(21);
    EXPECT_EQ(Legend(window).size(), 20u);
    EXPECT_EQ(LegendPane(window, 20)->GetDescriptor(), "S20") << "entries made for a long legend are reused";
}

TEST_F(GraphWindowTest, RecordRestoresSensorsModePlaceAndSizeAndTheImageFollowsTheSize)
{
    NewWindow({ "A", "B", "C" });
    GraphWindow* window = nullptr;
    // The first below the layout's minimum size, 440 x 270.
    const Rect sizes[][2]
        = { { { 100, 100, 150, 200 }, { 100, 100, 370, 540 } }, { { 130, 160, 430, 760 }, { 130, 160, 430, 760 } } };
    for (const auto& [saved, restored] : sizes) {
        window = dynamic_cast<GraphWindow*>(LWindow::CreateWindow(128, nullptr));
        GraphWindowPrefs prefs;
        prefs.SetWindowRect(saved);
        prefs.GetSensorNames()->AddItem(MakeStr255("C"));
        prefs.GetSensorNames()->AddItem(MakeStr255("A"));
        prefs.SetDisplayMenuItem(2);
        // Shown first, so that the window already holds to its minimum size.
        window->Show();
        QCoreApplication::processEvents();
        window->SetWindowPrefs(&prefs);
        QCoreApplication::processEvents();

        EXPECT_EQ(Legend(window), (Names { "A", "C" }));
        EXPECT_EQ(window->GetGraphView()->GetGraphMode(), 2);
        GraphWindowPrefs recorded;
        window->GetWindowPrefs(&recorded);
        EXPECT_EQ(recorded.GetWindowRect(), restored);
        ASSERT_EQ(recorded.GetSensorNames()->GetCount(), 2);
        EXPECT_EQ(Str255ToString((*recorded.GetSensorNames())[1]), "A");
        EXPECT_EQ(recorded.GetDisplayMenuItem(), 2);
    }

    // The user's resizing: the view follows, and its image with it.
    GraphWindowView* view = window->GetGraphView();
    int16_t width = view->GetWidth();
    int16_t height = view->GetHeight();
    window->GetTopLevel()->resize(window->GetTopLevel()->width() - 100, window->GetTopLevel()->height() + 50);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->GetWidth(), width - 100);
    EXPECT_EQ(view->GetHeight(), height + 50);
    EXPECT_EQ(view->GetImageWidth(), view->GetWidth() - 45);
    EXPECT_EQ(view->GetImageHeight(), view->GetHeight());
}
