#include "display/DataWindowGraph.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "tests/support/FixturePlatform.h"

#include <QColor>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const QRgb kRed = QColor::fromRgba64(65535, 0, 0).rgb();
const QRgb kBlue = QColor::fromRgba64(0, 0, 65535).rgb();
const QRgb kBackground = QColor::fromRgba64(55000, 55000, 55000).rgb();
const QRgb kBorder = QColor::fromRgba64(43900, 43900, 43900).rgb();

struct Pixel {
    int x;
    int y;
    QRgb color;
};

struct GraphCase {
    const char* name;
    std::vector<std::vector<double>> readings; // per sensor, oldest first
    int width;
    int height;
    int16_t mode;
    std::vector<Pixel> points;
};

std::vector<double> Zigzag(int count)
{
    std::vector<double> readings;
    for (int i = 0; i < count; ++i)
        readings.push_back(i % 2 == 0 ? 30 : 50);
    return readings;
}

class DataWindowGraphTest : public ::testing::TestWithParam<GraphCase> {
protected:
    // Each sensor's history holds its readings newest first, and its minimum and maximum are theirs.
    // Sensor 1 draws in red, sensor 2 in blue.
    std::vector<TemperatureSensor*> InstallSensors(const std::vector<std::vector<double>>& readings)
    {
        std::vector<SensorRegistry::EntryID> entries;
        for (const std::vector<double>& sensor : readings)
            entries.push_back(mMachine.AddTempSensor("Sensor " + std::to_string(entries.size() + 1), sensor.front()));
        std::vector<TemperatureSensor*> sensors;
        for (size_t i = 0; i < readings.size(); ++i) {
            sensors.push_back((*SensorMaster::Get()->GetSensorArray())[static_cast<ArrayIndexT>(i + 1)]);
            for (size_t j = 1; j < readings[i].size(); ++j) {
                mMachine.Registry().SetProperty(entries[i], "current-value", FixturePlatform::Fixed16(readings[i][j]));
                sensors.back()->CreateNewEvent();
            }
        }
        Preferences::Get()->SetSensorColor(0, RGBColor { 65535, 0, 0 });
        Preferences::Get()->SetSensorColor(1, RGBColor { 0, 0, 65535 });
        return sensors;
    }

    // Away from its superview's origin, so that drawing in the wrong coordinates shows.
    static std::unique_ptr<DataWindowGraph> MakeGraph(int width, int height)
    {
        QJsonObject entry { { "class", "Lgra" }, { "frame", QJsonArray { 30, 7, width, height } } };
        return std::make_unique<DataWindowGraph>(LPaneEntry(entry));
    }

    static QImage Render(DataWindowGraph& graph) { return graph.RenderImage().convertToFormat(QImage::Format_RGB32); }

    FixturePlatform mMachine;
};

}

TEST_F(DataWindowGraphTest, EmptyGraphIsBackgroundInsideABorderAndNarrowPanesStayBlank)
{
    auto sensors = InstallSensors({ { 30, 50, 40 } });
    for (int width : { 12, 13, 40 }) {
        auto graph = MakeGraph(width, 20);
        graph->AddSensor(sensors[0]);
        if (width > 12)
            graph->Clear();
        QImage image = Render(*graph);
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < width; ++x) {
                bool edge = x == 0 || y == 0 || x == width - 1 || y == 19;
                QRgb expected = width <= 12 ? qRgb(255, 255, 255) : (edge ? kBorder : kBackground);
                ASSERT_EQ(image.pixel(x, y), expected) << "width " << width << " at " << x << "," << y;
            }
        }
    }
}

TEST_P(DataWindowGraphTest, PutsTheNewestSampleOnePixelInsideTheLeftBorder)
{
    const GraphCase& c = GetParam();
    auto graph = MakeGraph(c.width, c.height);
    size_t longest = 0;
    for (TemperatureSensor* sensor : InstallSensors(c.readings))
        graph->AddSensor(sensor);
    for (const std::vector<double>& readings : c.readings)
        longest = std::max(longest, readings.size());
    graph->SetGraphMode(c.mode);
    QImage image = Render(*graph);
    for (const Pixel& point : c.points)
        EXPECT_EQ(image.pixel(point.x, point.y), point.color) << point.x << "," << point.y;
    // Right of the oldest point the plot stays empty, and no point covers the right border.
    for (int y = 1; y < c.height - 1; ++y) {
        for (int x = static_cast<int>(longest) + 1; x < c.width - 1; ++x)
            ASSERT_EQ(image.pixel(x, y), kBackground) << x << "," << y;
        ASSERT_EQ(image.pixel(c.width - 1, y), kBorder) << y;
    }
}

// With a pane 43 high the plot is h = 40: 100 % on row 1, just below the top border, 0 % on row 41.
INSTANTIATE_TEST_SUITE_P(Modes, DataWindowGraphTest,
    ::testing::Values(
        GraphCase { "Range", { { 30, 50, 40 } }, 60, 43, 1, { { 1, 21, kRed }, { 2, 1, kRed }, { 3, 41, kRed } } },
        // 31 in 30..33 is 33 %, times h = 60 is 19 rows; multiplying before dividing would give 20.
        GraphCase { "RangeTruncatesThePercentageFirst", { { 30, 33, 31 } }, 60, 63, 1,
            { { 1, 42, kRed }, { 2, 1, kRed }, { 3, 61, kRed } } },
        GraphCase { "RangeWithoutSpreadOnTheBottomRow", { { 40, 40, 40 } }, 60, 43, 1,
            { { 1, 41, kRed }, { 2, 41, kRed }, { 3, 41, kRed } } },
        // The common range is 30..80: 50 is 40 %, 60 is 60 %.
        GraphCase { "RangeIsCommonToAllSensors", { { 30, 50 }, { 60, 80 } }, 60, 43, 1,
            { { 1, 25, kRed }, { 2, 41, kRed }, { 1, 1, kBlue }, { 2, 17, kBlue } } },
        GraphCase {
            "AnyOtherModeIsRange", { { 30, 50 }, { 60, 80 } }, 60, 43, 3, { { 1, 25, kRed }, { 1, 1, kBlue } } },
        // Each at its own maximum after its own minimum: the later sensor covers the earlier one.
        GraphCase { "PercentOfEachSensorsOwnRange", { { 30, 50 }, { 60, 80 } }, 60, 43, 2,
            { { 1, 1, kBlue }, { 2, 41, kBlue } } },
        GraphCase { "NoMorePointsThanThePlotIsWide", { Zigzag(40) }, 22, 43, 1, { { 1, 1, kRed }, { 20, 41, kRed } } }),
    [](const ::testing::TestParamInfo<GraphCase>& info) { return std::string(info.param.name); });
