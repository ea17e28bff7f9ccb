#include "display/GraphWindow.h"
#include "display/DataWindowGraph.h"
#include "display/GraphWindowView.h"
#include "framework/LBevelButton.h"
#include "framework/LScroller.h"
#include "framework/LStaticText.h"
#include "framework/QDPort.h"
#include "framework/UColorContrast.h"
#include "framework/URegistrar.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"
#include "tests/support/Sampling.h"

#include <QApplication>
#include <QHelpEvent>
#include <QJsonArray>
#include <QMainWindow>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

// An image W x H has its plot rectangle at top 2, left 30, bottom H - 25, right W - 15, the border being its
// outermost pixels: samples at 0 % lie on row H - 27, at 100 % on row 3.

namespace {

using Names = std::vector<std::string>;
const QRgb kBlack = qRgb(0, 0, 0);
// The plot on the palette's base colour, white, with grid lines a fifth of the way to its black text.
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGrid = qRgb(204, 204, 204);
// The colours of sensor indices 1, 2 and 3.
const QRgb kGreen = QColor::fromRgba64(0, 32767, 0).rgb();
const QRgb kRed = QColor::fromRgba64(65535, 0, 0).rgb();
const QRgb kBlue = QColor::fromRgba64(0, 0, 65535).rgb();

int CountColour(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

// The Time Scale pop-up's item for pixels a minute.
int16_t ScaleItem(int scale)
{
    const auto& all = GraphWindowView::kTimeScales;
    return static_cast<int16_t>(std::find(all.begin(), all.end(), scale) - all.begin() + 1);
}

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
        Sampling::StartSensors();
        return dynamic_cast<GraphWindow*>(LWindow::CreateWindow(128, nullptr));
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

    // A sensor reading current degrees, whose long-term history holds, after that reading, the stored ones.
    SensorRegistry::EntryID AddSensor(const std::string& name, double current, const std::vector<double>& stored = {})
    {
        SensorRegistry::EntryID id = platform.AddTempSensor(name, current);
        std::vector<int32_t> file { TemperatureSensor::kDataFileVersion, 0, 0, static_cast<int32_t>(stored.size()) };
        for (double celsius : stored)
            file.push_back(FixturePlatform::Fixed16(celsius));
        file.push_back(0);
        ids.push_back(id);
        std::string path = platform.ProgramFolder() + (ids.size() < 10 ? "/0" : "/") + std::to_string(ids.size());
        TestFiles::WriteBytes(path + " " + name, TestFiles::BigEndian32(file));
        return id;
    }

    // A minute of samples of the sensors in ids, the i-th reading celsius + i, the clock a minute on.
    void SampleMinute(double celsius)
    {
        platform.Clock().Advance(60);
        for (int sample = 0; sample < TemperatureSensor::kSamplesPerLongTermSample; ++sample) {
            for (size_t i = 0; i < ids.size(); ++i) {
                platform.Registry().SetProperty(ids[i], "current-value", FixturePlatform::Fixed16(celsius + i));
                Sampling::SampleNow(*(*SensorMaster::Get()->GetSensorArray())[static_cast<ArrayIndexT>(i + 1)]);
            }
        }
    }

    // A view of every sensor with a frame of width x height.
    QImage Render(int width, int height, int16_t mode = GraphWindowView::kRangeMode)
    {
        QJsonObject entry { { "class", "GViw" }, { "id", "Gviw" }, { "frame", QJsonArray { 0, 0, width, height } } };
        view = std::make_unique<GraphWindowView>(LPaneEntry(entry));
        view->SetGraphMode(mode);
        SensorArray* all = Sampling::StartSensors().GetSensorArray();
        for (ArrayIndexT i = 1; i <= all->GetCount(); ++i)
            view->AddSensor((*all)[i]);
        view->SetupSelf();
        return Draw(*view);
    }

    // The view's image drawn on a colour, whole or width columns of it from left.
    static QImage Draw(GraphWindowView& graph, const QColor& under = Qt::white, int left = 0, int width = 0)
    {
        QImage image(width > 0 ? width : graph.GetImageWidth(), graph.GetImageHeight(), QImage::Format_RGB32);
        image.fill(under);
        QPainter painter(&image);
        painter.translate(-left, 0);
        graph.Draw(painter);
        return image;
    }

    static std::string PlainText(const QString& html)
    {
        QTextDocument text;
        text.setHtml(html);
        return text.toPlainText().toStdString();
    }

    // The label drawn alone, ending at x 30 (or centred on centre), matches the image over its box.
    static void ExpectLabel(const QImage& image, const std::string& text, int baseline, int centre = -1)
    {
        QImage alone(image.size(), image.format());
        alone.fill(Qt::white);
        QPainter painter(&alone);
        QDPort port(painter);
        port.TextSize(9);
        int width = port.StringWidth(text);
        QRect box(centre < 0 ? 30 - width : centre - width / 2, baseline - 10, width, 14);
        port.MoveTo(box.left(), baseline);
        port.DrawString(text);
        painter.end();
        EXPECT_TRUE(image.copy(box) == alone.copy(box)) << text;
        EXPECT_LT(CountColour(alone.copy(box), kWhite), width * 14) << text << " has ink";
    }

    FixturePlatform platform;
    std::vector<SensorRegistry::EntryID> ids;
    std::unique_ptr<GraphWindowView> view;
};

}

TEST_F(GraphWindowTest, LegendAndTitleFollowTheSensorsPlotted)
{
    GraphWindow* window = NewWindow({ "A", "B", "C" });
    // Items toggled in turn (0: none yet). A sensor taken off leaves the legend, whose entries close up in their
    // colours; the title is the name of the one sensor plotted, else the general one.
    const std::pair<int16_t, Names> steps[]
        = { { 0, { "A", "B", "C" } }, { 2, { "A", "C" } }, { 1, { "C" } }, { 3, {} }, { 1, { "A" } } };
    for (const auto& [item, legend] : steps) {
        if (item > 0)
            window->GetSensorPopup()->UserChoseItem(item);
        EXPECT_EQ(Legend(window), legend) << "after toggling " << item;
        if (item == 2) {
            EXPECT_EQ(LegendPane(window, 2)->GetForeColor(), (RGBColor { 0, 0, 65535 }));
        }
        EXPECT_EQ(window->GetDescriptor(), legend.size() == 1 ? legend[0] : "Temperature History");
        EXPECT_EQ(window->GetGraphView()->GetSensors().GetCount(), static_cast<int32_t>(legend.size()));
    }

    Preferences::Get()->SetDisplayLegend(false);
    Preferences::Get()->NotifySubscribers();
    EXPECT_TRUE(Legend(window).empty()) << "hidden";
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
    std::vector<RGBColor> colours;
    for (int entry = 1; entry <= 21; ++entry) {
        RGBColor colour = LegendPane(window, entry)->GetForeColor();
        EXPECT_EQ(std::count(colours.begin(), colours.end(), colour), 0) << "entry " << entry;
        colours.push_back(colour);
    }

    // More entries than fit beside the graph: the legend's image holds them all, and it scrolls.
    auto* legend = dynamic_cast<LView*>(window->FindPaneByID(GraphWindow::kLegendViewID));
    Rect last;
    LegendPane(window, 21)->CalcLocalFrameRect(last);
    EXPECT_GT(last.bottom, legend->GetHeight());
    EXPECT_GE(legend->GetImageHeight(), last.bottom);
    window->GetSensorPopup()->UserChoseItem(21);
    EXPECT_EQ(Legend(window), Names(names.begin(), names.end() - 1)) << "entries made for a long legend are reused";
}

TEST_F(GraphWindowTest, RecordRestoresSensorsModeTimeScalePlaceAndSizeAndTheImageFollowsTheSize)
{
    NewWindow({ "A", "B", "C" });
    GraphWindow* window = nullptr;
    // Saved and restored frames, the first below the layout's minimum size, 440 x 270; a time scale chosen, or none
    // (the window chooses its own).
    const std::tuple<Rect, Rect, int32_t> sizes[] = { { { 100, 100, 150, 200 }, { 100, 100, 370, 540 }, 10 },
        { { 130, 160, 430, 760 }, { 130, 160, 430, 760 }, 0 } };
    for (const auto& [saved, restored, scale] : sizes) {
        window = NewWindow();
        GraphWindowPrefs prefs;
        prefs.SetWindowRect(saved);
        prefs.SetPixelsPerMinute(scale);
        for (const char* name : { "C", "A" })
            prefs.GetSensorNames()->AddItem(MakeStr255(name));
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
        EXPECT_EQ(recorded.GetDisplayMenuItem(), 2);
        EXPECT_EQ(recorded.GetPixelsPerMinute(), scale);
        EXPECT_EQ(window->GetTimeScalePopup()->GetCurrentMenuItem(), scale == 10 ? 4 : 1);
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

TEST_F(GraphWindowTest, PlotGridAndLabelsFollowTheHeightModeAndReadings)
{
    // Height, mode, whether there is a grid, and the top, bottom and middle labels.
    const std::tuple<int, int16_t, bool, const char*, const char*, const char*> cases[] = {
        { 150, GraphWindowView::kPercentMode, false, "100%", "0%", nullptr },
        { 151, GraphWindowView::kPercentMode, true, "100%", "0%", "50%" },
        // Range mode without readings.
        { 151, GraphWindowView::kRangeMode, true, "n/a", "n/a", "n/a" },
        // A hot spot above 100 tops the scale at its true value, in the default scale, Fahrenheit: 30 C to 110 C.
        { 200, GraphWindowView::kRangeMode, true, "230\u00B0F", "86\u00B0F", "158\u00B0F" },
    };
    for (auto [height, mode, grid, top, bottom, middle] : cases) {
        SCOPED_TRACE(std::to_string(height) + " " + top);
        if (height == 200) {
            AddSensor("board", 30, { 30, 30 }); // green
            AddSensor("hot spot", 110, { 110, 110 }); // red
            SensorMaster::DeleteInstanceForTesting();
        }
        QImage image = Render(400, height, mode);
        int plotBottom = height - 25;
        int right = 400 - 45 - 15;
        EXPECT_EQ(image.pixel(30, 2), kBlack);
        EXPECT_EQ(image.pixel(right - 1, plotBottom - 1), kBlack);
        int depth = plotBottom - 2;
        for (int y : { 2 + depth / 4, 2 + depth / 2, 2 + depth * 75 / 100 }) {
            EXPECT_EQ(image.pixel(31, y), grid ? kGrid : kWhite) << y;
            EXPECT_EQ(image.pixel(right - 2, y), grid ? kGrid : kWhite) << y;
        }
        ExpectLabel(image, top, 11);
        ExpectLabel(image, bottom, height - 27);
        if (middle != nullptr)
            ExpectLabel(image, middle, (height - 27) / 2 + 5);
        else
            EXPECT_EQ(CountColour(image.copy(0, 15, 30, plotBottom - 40), kWhite), 30 * (plotBottom - 40));
        if (height == 200) {
            EXPECT_EQ(image.pixel(32, 3), kRed) << "just below the top border";
            EXPECT_EQ(image.pixel(32, 173), kGreen) << "just above the bottom border";
        }
    }
}

// The lines against LineTo from sample to sample, at the rows of the values: the view draws whole columns
// at once, which must light the same pixels.
TEST_F(GraphWindowTest, LinesLieOnTheRowsOfTheirValues)
{
    // Climbing and falling by steps of every size from 1 to 30 degrees, and runs on one row; "warm" spans 30
    // to 60 degrees, "cool" 30 to 40.
    std::vector<double> warm;
    for (int step = 1; step <= 30; ++step) {
        for (int t = 30; t <= 60; t += step)
            warm.push_back(t);
        for (int t = 60; t >= 30; t -= step)
            warm.insert(warm.end(), { double(t), double(t) });
    }
    AddSensor("warm", 30, warm);
    std::vector<double> cool(warm.size(), 30.0);
    cool[7] = 40;
    AddSensor("cool", 30, cool);

    for (int16_t mode : { GraphWindowView::kRangeMode, GraphWindowView::kPercentMode }) {
        SCOPED_TRACE(mode);
        QImage drawn = Render(600, 200, mode);
        view->ClearSensors();
        QImage expected = Draw(*view);
        QPainter painter(&expected);
        QDPort port(painter);
        SensorArray* all = Sampling::StartSensors().GetSensorArray();
        for (ArrayIndexT i = 1; i <= 2; ++i) {
            TemperatureSensor* sensor = (*all)[i];
            port.RGBForeColor(i == 1 ? RGBColor { 0, 32767, 0 } : RGBColor { 65535, 0, 0 });
            // The oldest sample is not drawn.
            for (ArrayIndexT j = 1; j < sensor->GetLTTempArray()->GetCount(); ++j) {
                int32_t raw = (*sensor->GetLTTempArray())[j]->GetRawTemperature();
                int value = mode == GraphWindowView::kPercentMode ? sensor->ConvertRawToPercent(raw)
                                                                  : (sensor->ConvertRawToCelcius(raw) - 30) * 100 / 30;
                int y = 175 - value * 170 / 100 - 2;
                if (j == 1)
                    port.MoveTo(31, y);
                else
                    port.LineTo(31 + j, y);
            }
        }
        painter.end();
        // Right of the value labels, which differ.
        QRect plot(30, 0, drawn.width() - 30, drawn.height());
        EXPECT_TRUE(drawn.copy(plot) == expected.copy(plot));
    }
}

// On a screen at 200 % the view draws twice as many pixels each way: the plot's lines are sharp 2 x 2
// blocks of the same pixels, and the labels' text is drawn at the full resolution, not blown up.
TEST_F(GraphWindowTest, AtTwiceThePixelsLinesAreSharpAndTextIsFine)
{
    AddSensor("warm", 30, { 40, 50, 60, 50, 40, 30, 45 });
    Render(300, 200);
    QImage images[2];
    for (int ratio : { 1, 2 }) {
        QImage& image = images[ratio - 1] = QImage(view->GetWidget()->size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        QPainter painter(&image);
        view->Paint(painter, QRect(QPoint(0, 0), view->GetWidget()->size()));
        painter.end();
        image.setDevicePixelRatio(1.0);
    }
    const QImage& twice = images[1];
    QRect plot(30, 0, 300 - 45 - 30, 200 - 25);
    EXPECT_TRUE(twice.copy(QRect(plot.topLeft() * 2, plot.size() * 2))
        == images[0].copy(plot).scaled(plot.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    bool finer = false;
    for (int y = 0; y < 2 * 200; y += 2) {
        for (int x = 0; x < 2 * 30; x += 2) {
            QRgb p = twice.pixel(x, y);
            finer |= p != twice.pixel(x + 1, y) || p != twice.pixel(x, y + 1) || p != twice.pixel(x + 1, y + 1);
        }
    }
    EXPECT_TRUE(finer) << "the labels have detail finer than a 2 x 2 block";
}

// On screen the view draws only what a scroll or a new minute exposes, onto what it drew before; what the
// window shows is always the drawing of the whole image from scratch, at the place scrolled to.
TEST_F(GraphWindowTest, WhatTheWindowShowsIsTheWholeDrawingAtTheScrolledPlace)
{
    // Hours of wandering readings, so that the image is wider than the window.
    for (int sensor = 0; sensor < 3; ++sensor) {
        std::vector<double> stored;
        for (int minute = 0; minute < 1800; ++minute)
            stored.push_back(40 + 6 * sensor + 8 * std::sin((minute + 300 * sensor) / 70.0) + (minute / 9) % 3);
        AddSensor("S" + std::to_string(sensor + 1), 45, stored);
    }
    GraphWindow* window = NewWindow();
    window->Show();
    GraphWindowView* graph = window->GetGraphView();
    auto* scroller = dynamic_cast<LScroller*>(graph->GetSuperView());
    QWidget* viewport = scroller->GetContentWidget();
    // Places scrolled to in turn (-1: the oldest samples), then minutes passing at the readings; a reading
    // above every maximum so far rescales the whole plot.
    constexpr double kSilent = -1;
    const std::tuple<const char*, std::vector<int32_t>, std::vector<double>> steps[] = { { "opened", {}, {} },
        { "a minute", {}, { 47 } }, { "scrolled far", { 700 }, {} }, { "a minute while scrolled", {}, { 44 } },
        { "small scrolls either way", { 703, 709, 690, 689 }, {} }, { "a minute above the maximum", {}, { 80 } },
        { "at the oldest samples", { -1 }, {} }, { "two minutes there", {}, { 41, 52 } }, { "back to now", { 0 }, {} },
        { "a minute", {}, { 46 } }, { "five minutes of silence", {}, { kSilent } } };
    for (const auto& [name, scrolls, minutes] : steps) {
        SCOPED_TRACE(name);
        for (int32_t to : scrolls) {
            scroller->ScrollTo(to < 0 ? scroller->GetScrollRange() : to);
            QCoreApplication::processEvents();
        }
        for (double reading : minutes) {
            if (reading == kSilent) {
                // No new minute of history, but the plot moves on with the clock.
                platform.Clock().Advance(5 * 60);
                for (int sample = 0; sample < GraphWindowView::kSamplesBetweenRedraws; ++sample)
                    SensorMaster::Get()->BroadcastMessage(msg_SamplesRecorded);
                continue;
            }
            SampleMinute(reading);
            SensorMaster::Get()->BroadcastMessage(msg_SamplesRecorded);
        }
        QCoreApplication::processEvents();
        QPoint place = viewport->mapTo(viewport->window(), QPoint(0, 0));
        QImage shown
            = QGuiApplication::primaryScreen()
                  ->grabWindow(viewport->window()->winId(), place.x(), place.y(), viewport->width(), viewport->height())
                  .toImage()
                  .convertToFormat(QImage::Format_RGB32);
        QImage whole = Draw(*graph, graph->GetWidget()->palette().color(QPalette::Window));
        EXPECT_TRUE(shown == whole.copy(scroller->GetScrollPosition(), 0, viewport->width(), viewport->height()));
    }
}

// Window-wide keys and the Time Scale pop-up step the time axis through 1, 2, 5, 10 and 30 pixels a minute; its
// marks and labels follow, every 15 or 10 minutes once hours lie far apart, out to the oldest sample of 250 hours
// (far past the 16 bits of a rectangle at 30 pixels a minute). The image is as wide as the longest history.
TEST_F(GraphWindowTest, TheTimeScaleStepsByKeysAndPopupAndTheMarksFollowIt)
{
    AddSensor("long", 40, std::vector<double>(14999, 40.0)); // green, all on the bottom row
    AddSensor("one", 40); // red
    AddSensor("two", 40, { 40 }); // blue
    GraphWindow* window = NewWindow();
    window->Show();
    QApplication::setActiveWindow(window->GetTopLevel());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->GetTopLevel()));
    GraphWindowView* graph = window->GetGraphView();
    EXPECT_EQ(graph->GetTimeScale(), 1) << "250 hours fill the plot at the first scale";
    // Lowest equals highest: every sample but the oldest, from x 31 on, lies on the row above the bottom
    // border. One- and two-sample histories, drawn later, draw nothing over it.
    QImage whole = Draw(*graph);
    EXPECT_EQ(CountColour(whole, kGreen), 15000);
    EXPECT_EQ(CountColour(whole, kRed) + CountColour(whole, kBlue), 0);

    // A key (with Ctrl unless it is the pop-up's item), the scale after it, and a mark's minutes and label.
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, int, int, const char*> steps[] = {
        { Qt::Key_Plus, Qt::ControlModifier, 2, 60, "1h ago" },
        { Qt::Key_Equal, Qt::ControlModifier, 5, 15, "15m ago" },
        { Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, 10, 75, "1h 15m ago" },
        { Qt::Key_Plus, Qt::ControlModifier, 30, 10, "10m ago" },
        { Qt::Key_Plus, Qt::ControlModifier, 30, 14990, "249h 50m ago" },
        { Qt::Key_Minus, Qt::ControlModifier, 10, 15, "15m ago" },
        { Qt::Key_0, Qt::ControlModifier, 1, 60 * 250, "250h ago" },
        { Qt::Key(4), {}, 10, 45, "45m ago" },
    };
    for (auto [key, modifiers, scale, markMinutes, label] : steps) {
        SCOPED_TRACE(label);
        if (modifiers == Qt::KeyboardModifiers {})
            window->GetTimeScalePopup()->UserChoseItem(static_cast<int16_t>(key));
        else
            QTest::keyClick(window->GetTopLevel(), key, modifiers);
        QCoreApplication::processEvents();
        ASSERT_EQ(graph->GetTimeScale(), scale);
        EXPECT_EQ(window->GetTimeScalePopup()->GetCurrentMenuItem(), ScaleItem(scale));
        EXPECT_EQ(graph->GetImageWidth(), 32 + scale * 14999 + 16);
        // Only the part around the mark is drawn.
        const int mark = 30 + scale * markMinutes;
        const int left = std::max(0, mark - 200);
        QImage part = Draw(*graph, Qt::white, left, 600);
        const int bottom = graph->GetImageHeight() - 25;
        ExpectLabel(part, label, bottom + 15, mark - left);
        EXPECT_EQ(part.pixel(mark - left, bottom + 3), kBlack) << "the mark";
        EXPECT_EQ(part.pixel(mark - left, bottom + 4), kWhite) << "below the mark";
        if (markMinutes == 14990) {
            EXPECT_EQ(part.pixel(32 + 30 * 14998 - left, bottom - 2), kGreen) << "the oldest sample drawn";
        }
    }
    // Zooming keeps the time in the middle of what the window shows where it is.
    auto* scroller = dynamic_cast<LScroller*>(graph->GetSuperView());
    scroller->ScrollTo(3000);
    const int middle = scroller->GetWidth() / 2;
    const int64_t shown = graph->SecondsAgoAtColumn(3000 + middle);
    window->ChangeTimeScale(2);
    EXPECT_NEAR(graph->SecondsAgoAtColumn(scroller->GetScrollPosition() + middle), shown, 60);

    // A frame wider than the history sets the width; every hour of it is marked even without data.
    QImage wide = Render(16000, 200);
    EXPECT_EQ(wide.width(), 16000 - 45);
    EXPECT_EQ(wide.pixel(30 + 60 * 265, 175 + 2), kBlack);
    ExpectLabel(wide, "now", 175 + 15, 30);
}

// Hovering over the plot names the column's time, before now and on the clock, and each plotted sensor's value
// there in its colour, the hottest first; a sensor whose history does not reach that far has none.
TEST_F(GraphWindowTest, HoveringNamesTheTimeAndTheValuesHottestFirst)
{
    // Stored samples from a minute ago on: 2 h 15 min ago "board" read 35, "gpu" 61, "disk" (short) nothing.
    std::vector<double> board(2000, 30), gpu(2000, 50);
    board[134] = 35;
    gpu[134] = 61;
    AddSensor("board", 30, board); // green
    AddSensor("gpu", 50, gpu); // red
    AddSensor("disk <2>", 33, std::vector<double>(60, 33)); // blue
    Preferences::Get()->SetTemperatureScale(1);
    // Tuesday 5 January 2021, 14:20 (day 42739 since 1904; the day before a Monday).
    platform.Clock().Set(42739u * 86400 + 14 * 3600 + 20 * 60);
    GraphWindow* window = NewWindow();
    window->Show();
    QCoreApplication::processEvents();
    GraphWindowView* graph = window->GetGraphView();

    // The scale, where the pointer is (minutes ago) and the tip.
    const std::tuple<int, int, const char*> cases[] = {
        { 1, 135, "2 h 15 min ago (12:05)\ngpu: 61C\nboard: 35C" },
        { 30, 2, "2 min ago (14:18)\ngpu: 50C\ndisk <2>: 33C\nboard: 30C" },
        { 2, 26 * 60, "26 h ago (Mon 12:20)\ngpu: 50C\nboard: 30C" },
    };
    for (auto [scale, minutesAgo, tip] : cases) {
        SCOPED_TRACE(tip);
        window->ChangeTimeScale(scale);
        QPoint at(32 + scale * minutesAgo, 50);
        QHelpEvent hover(QEvent::ToolTip, at, graph->GetWidget()->mapToGlobal(at));
        QCoreApplication::sendEvent(graph->GetWidget(), &hover);
        EXPECT_EQ(PlainText(QToolTip::text()), tip);
        // Each value in its sensor's colour.
        for (auto [name, colour] : { std::pair { "gpu", "#ff0000" }, { "board", "#007f00" } })
            EXPECT_NE(QToolTip::text().indexOf(QString("color:%1'>%2").arg(colour, name)), -1) << name;
    }
    // Below the plot, on the time axis, there is nothing to name.
    EXPECT_EQ(graph->GetToolTipAt(60, graph->GetImageHeight() - 10), "");
}

// A new window zooms in until its history fills at least half of the plot (460 pixels wide here), once there are
// 10 minutes of it, and out again as the history grows; a scale the user chooses stays.
TEST_F(GraphWindowTest, ANewWindowZoomsUntilItsHistoryFillsHalfThePlot)
{
    AddSensor("board", 40);
    GraphWindow* window = NewWindow();
    GraphWindowView* graph = window->GetGraphView();
    // Minutes of history (one more sample than minutes) and the scale then.
    const std::pair<int, int> steps[] = { { 9, 1 }, { 10, 30 }, { 23, 10 }, { 46, 5 }, { 115, 2 }, { 230, 1 } };
    int minutes = 0;
    for (auto [wanted, scale] : steps) {
        for (; minutes < wanted; ++minutes)
            SampleMinute(40 + minutes % 7);
        SensorMaster::Get()->BroadcastMessage(msg_SamplesRecorded);
        EXPECT_EQ(graph->GetTimeScale(), scale) << wanted << " minutes";
        EXPECT_EQ(window->GetTimeScalePopup()->GetCurrentMenuItem(), ScaleItem(scale));
    }
    window->GetTimeScalePopup()->UserChoseItem(5);
    SampleMinute(40);
    SensorMaster::Get()->BroadcastMessage(msg_SamplesRecorded);
    EXPECT_EQ(graph->GetTimeScale(), 30);
}

// Under a dark palette the plot takes its base colour with grid lines a little lighter, the labels its text
// colour, and a navy line, too dark to see there, is drawn lighter; the preferences keep the navy.
TEST_F(GraphWindowTest, UnderADarkPaletteThePlotsTakeItsColoursAndDarkLinesAreLightened)
{
    const QPalette original = QApplication::palette();
    QPalette dark = original;
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Text, QColor(0xff, 0xff, 0xff));
    dark.setColor(QPalette::Window, QColor(0x22, 0x22, 0x22));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    QApplication::setPalette(dark);
    const RGBColor navy { 0, 0, 32767 };
    Preferences::Get()->SetSensorColor(0, navy);
    AddSensor("board", 30, { 30, 40, 30, 40 }); // navy
    Render(400, 200);
    QImage image = Draw(*view, dark.color(QPalette::Window));
    const QRgb base = qRgb(0x2a, 0x2a, 0x2a);
    EXPECT_EQ(image.pixel(200, 100), base);
    EXPECT_EQ(image.pixel(200, 2 + 173 / 2), qRgb(0x55, 0x55, 0x55)) << "a grid line, a fifth of the way to white";
    // The newest sample (30) on the bottom row, the next (40) on the top one.
    RGBColor line = UColorContrast::FromQColor(QColor(image.pixel(31, 173)));
    EXPECT_GE(UColorContrast::ContrastRatio(line, UColorContrast::FromQColor(QColor(base))), 3.0);
    EXPECT_EQ(image.pixel(34, 3), image.pixel(31, 173));
    RGBColor kept;
    Preferences::Get()->GetSensorColor(0, kept);
    EXPECT_EQ(kept, navy);
    // The labels in the window's light text colour (which the small text's edges blend): "now" under the plot.
    int lightest = 0;
    for (int y = 180; y < 195; ++y)
        for (int x = 20; x < 42; ++x)
            lightest = std::max(lightest, qGray(image.pixel(x, y)));
    EXPECT_GT(lightest, 0xc0);

    // The data window's strip graph likewise.
    QJsonObject entry { { "class", "Lgra" }, { "frame", QJsonArray { 0, 0, 40, 20 } } };
    DataWindowGraph strip { LPaneEntry(entry) };
    EXPECT_EQ(strip.RenderImage().pixel(20, 10), base);
    QApplication::setPalette(original);
}

// Half an hour, a night of suspend (the wall clock jumps 8 hours, the sampling timers sleep through it) and
// half an hour more, at a pixel a minute: the pause is a band in the frame's colour midway between the
// stretches, no line crosses it, and the older stretch lies as far back as it was taken.
TEST_F(GraphWindowTest, ANightOfSuspendIsABandWithNoLineAcrossIt)
{
    ids.push_back(platform.AddTempSensor("lid", 40));
    Sampling::StartSensors();
    for (int minute = 0; minute < 59; ++minute) {
        platform.Clock().Advance(minute == 29 ? 8 * 3600 : 0);
        SampleMinute(40);
    }
    QImage image = Render(700, 200);
    const QRgb frame = image.pixel(30, 100);
    const int lineRow = 200 - 27;

    // The newest sample is now; the older stretch's newest is 30 min + 8 h ago, at x 32 + 510.
    // Where, from and to which x, and whether the line or the band is there.
    const std::tuple<const char*, int, int, bool, bool> columns[] = {
        { "the newer stretch", 31, 61, true, false },
        { "the pause before the band", 62, 298, false, false },
        { "the band", 299, 302, false, true },
        { "the pause after the band", 303, 541, false, false },
        { "the older stretch", 542, 570, true, false },
    };
    for (auto [where, from, to, line, band] : columns) {
        for (int x = from; x <= to; ++x) {
            EXPECT_EQ(image.pixel(x, lineRow) == kGreen, line) << where << " at x " << x;
            EXPECT_EQ(image.pixel(x, 40) == frame, band) << where << " at x " << x;
        }
    }

    // Hovering names the time it was: the older stretch from 8 h 30 min ago on, nothing in the pause.
    for (auto [x, time] : { std::pair { 32 + 540, "9 h ago" }, { 32 + 300, "5 h ago" } }) {
        std::string text = PlainText(QString::fromStdString(view->GetToolTipAt(x, 100)));
        EXPECT_EQ(text.substr(0, text.find(' ', text.find("ago"))), time);
        EXPECT_EQ(text.find("lid:") != std::string::npos, x > 400) << text;
    }
}
