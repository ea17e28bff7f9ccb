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

#include <string>
#include <tuple>
#include <vector>

namespace {

const QRgb kRed = QColor::fromRgba64(65535, 0, 0).rgb();
const QRgb kBlue = QColor::fromRgba64(0, 0, 65535).rgb();
const QRgb kBackground = QColor::fromRgba64(55000, 55000, 55000).rgb();
const QRgb kBorder = QColor::fromRgba64(43900, 43900, 43900).rgb();

struct GraphCase {
    const char* name;
    std::vector<std::vector<double>> readings; // per sensor, oldest first; sensor 1 draws in red, 2 in blue
    int width;
    int height;
    int16_t mode;
    std::vector<std::tuple<int, int, QRgb>> points; // x, y, colour
};

class DataWindowGraphTest : public ::testing::TestWithParam<GraphCase> {
protected:
    FixturePlatform mMachine;
};

}

// Everything but the given points: the border all round, background right of the oldest sample; a pane
// too narrow for a plot stays unpainted.
TEST_P(DataWindowGraphTest, PutsTheNewestSampleOnePixelInsideTheLeftBorder)
{
    const GraphCase& c = GetParam();
    // Away from its superview's origin, so that drawing in the wrong coordinates shows.
    QJsonObject entry { { "class", "Lgra" }, { "frame", QJsonArray { 30, 7, c.width, c.height } } };
    DataWindowGraph graph { LPaneEntry(entry) };
    std::vector<SensorRegistry::EntryID> ids;
    for (const std::vector<double>& readings : c.readings)
        ids.push_back(mMachine.AddTempSensor("Sensor " + std::to_string(ids.size() + 1), readings.front()));
    int longest = 0;
    for (size_t i = 0; i < c.readings.size(); ++i) {
        TemperatureSensor* sensor = (*SensorMaster::Get()->GetSensorArray())[static_cast<ArrayIndexT>(i + 1)];
        for (size_t j = 1; j < c.readings[i].size(); ++j) {
            mMachine.Registry().SetProperty(ids[i], "current-value", FixturePlatform::Fixed16(c.readings[i][j]));
            sensor->CreateNewEvent();
        }
        graph.AddSensor(sensor);
        longest = std::max(longest, static_cast<int>(c.readings[i].size()));
    }
    Preferences::Get()->SetSensorColor(0, RGBColor { 65535, 0, 0 });
    Preferences::Get()->SetSensorColor(1, RGBColor { 0, 0, 65535 });
    graph.SetGraphMode(c.mode);
    QImage image = graph.RenderImage().convertToFormat(QImage::Format_RGB32);

    for (auto [x, y, color] : c.points)
        EXPECT_EQ(image.pixel(x, y), color) << x << "," << y;
    // On a screen at 200 % every pixel of the drawing is a sharp 2 x 2 block, not a blur.
    QImage sharp = graph.RenderImage(2.0).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(sharp.size(), image.size() * 2);
    sharp.setDevicePixelRatio(1.0);
    EXPECT_TRUE(sharp == image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            bool edge = x == 0 || y == 0 || x == c.width - 1 || y == c.height - 1;
            QRgb expected = c.width <= 12 ? qRgb(255, 255, 255) : edge ? kBorder : kBackground;
            if (c.width <= 12 || edge || x > longest) {
                ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
            }
        }
    }
}

// With a pane 43 high the plot is h = 40: 100 % on row 1, just below the top border, 0 % on row 41.
INSTANTIATE_TEST_SUITE_P(Modes, DataWindowGraphTest,
    ::testing::Values(GraphCase { "Empty", {}, 13, 20, 1, {} },
        GraphCase { "TooNarrowForAPlot", { { 30, 50, 40 } }, 12, 20, 1, {} },
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
        // 22 readings in a plot 20 wide.
        GraphCase { "NoMorePointsThanThePlotIsWide",
            { { 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50, 30, 50 } }, 22, 43, 1,
            { { 1, 1, kRed }, { 20, 41, kRed } } }),
    [](const ::testing::TestParamInfo<GraphCase>& info) { return std::string(info.param.name); });
