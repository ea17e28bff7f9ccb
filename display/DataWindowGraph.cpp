#include "display/DataWindowGraph.h"

#include "framework/LException.h"
#include "framework/PlotColors.h"
#include "framework/QDPort.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "util/SensorColors.h"
#include "util/SensorRange.h"

#include <algorithm>

namespace {

// A redraw finds a few new samples at most (one, at every tick of the sensors).
constexpr size_t kMostNewSamples = 4;

// 32-bit products wrap as they always have; only the overflow's undefined behaviour is kept out.
int32_t WrappingProduct(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

}

DataWindowGraph::DataWindowGraph(const LPaneEntry& entry)
    : LPane(entry.GetPaneInfo())
{
    // Hundreds of one-pixel steps: drawn pixel by pixel into an image rather than one fill at a time.
    SetDrawsOffscreen(true);
    InitArrays();
}

DataWindowGraph::~DataWindowGraph()
{
    mSensors.RemoveAllItems();
}

void DataWindowGraph::InitArrays()
{
    mSensors.RemoveAllItems();
}

void DataWindowGraph::ShowNewSamples()
{
    if (mShownPicture.empty() || Picture() != mShownPicture)
        Refresh();
}

void DataWindowGraph::Clear()
{
    while (!mSensors.IsEmpty()) {
        ThrowIfNil_(mSensors[1]);
        mSensors.RemoveItemsAt(1, 1);
    }
}

void DataWindowGraph::AddSensor(TemperatureSensor* sensor)
{
    mSensors.AddItem(sensor);
}

void DataWindowGraph::SetGraphMode(int16_t mode)
{
    mGraphMode = mode;
}

int16_t DataWindowGraph::GetGraphMode() const
{
    return mGraphMode;
}

const std::vector<int32_t>& DataWindowGraph::Picture()
{
    Rect frame;
    CalcLocalFrameRect(frame);
    int32_t width = frame.right - frame.left - 2;
    int32_t height = frame.bottom - frame.top - 3;
    // Every buffer here keeps its size from one sample to the next: a sample allocates nothing.
    std::vector<int32_t>& picture = mPicture;
    picture.assign({ width, height });
    if (width <= 10)
        return picture;

    int32_t lowest = 0;
    int32_t highest = 0;
    GetMinMaxTemperaturesAsCelcius(mSensors, lowest, highest);

    mLines.resize(static_cast<size_t>(mSensors.GetCount()));
    std::vector<int32_t>& readings = mReadings;
    std::vector<int32_t>& rows = mRows;
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_(mSensors[i]);
        TempElementArray* history = sensor->GetSTTempArray();
        int32_t points = std::min(history->GetCount(), width);
        picture.insert(picture.end(), { sensor->GetSensorIndex(), points });

        // A reading's row depends on the reading and on these alone.
        bool percent = mGraphMode == kPercentMode;
        const std::array<int32_t, 5> scale { mGraphMode, frame.bottom, height,
            percent ? sensor->GetRawMinimumReading() : lowest, percent ? sensor->GetRawMaximumReading() : highest };
        auto rowOf = [&](int32_t raw) {
            int32_t scaled = 0;
            if (percent) {
                scaled = WrappingProduct(sensor->ConvertRawToPercent(raw), height);
            } else if (highest != lowest) {
                // The percentage is truncated before it is spread over the plot's height.
                int32_t percentage
                    = WrappingProduct(sensor->ConvertRawToCelcius(raw) - lowest, 100) / (highest - lowest);
                scaled = WrappingProduct(percentage, height);
            }
            return static_cast<int32_t>(static_cast<int16_t>(frame.bottom - scaled / 100 - 2));
        };

        readings.resize(static_cast<size_t>(points));
        for (int32_t j = 1; j <= points; ++j)
            readings[static_cast<size_t>(j - 1)] = ThrowIfNil_((*history)[j])->GetRawTemperature();
        Line& line = mLines[static_cast<size_t>(i - 1)];
        // Readings seen before, a few samples further along, keep the rows they had.
        rows.resize(readings.size());
        size_t known = readings.size();
        if (line.sensor == sensor && line.scale == scale) {
            for (size_t shift = 0; shift <= kMostNewSamples && shift <= readings.size(); ++shift) {
                size_t overlap = readings.size() - shift;
                auto from = readings.begin() + static_cast<ptrdiff_t>(shift);
                if (line.readings.size() >= overlap && std::equal(from, readings.end(), line.readings.begin())) {
                    std::copy_n(line.rows.begin(), overlap, rows.begin() + static_cast<ptrdiff_t>(shift));
                    known = shift;
                    break;
                }
            }
        }
        for (size_t j = 0; j < known; ++j)
            rows[j] = rowOf(readings[j]);
        line.sensor = sensor;
        line.scale = scale;
        line.readings.swap(readings);
        line.rows.swap(rows);
        picture.insert(picture.end(), line.rows.begin(), line.rows.end());
    }
    return picture;
}

void DataWindowGraph::DrawSelf()
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    port->PenNormal();
    port->RGBForeColor(RGBColor {});

    Rect frame;
    CalcLocalFrameRect(frame);
    const std::vector<int32_t>& picture = Picture();
    // Only a drawing of the whole pane is all that the screen shows.
    Rect reach;
    port->GetClipBounds(reach);
    bool whole = reach.left <= frame.left && reach.top <= frame.top && reach.right >= frame.right
        && reach.bottom >= frame.bottom;
    if (whole)
        mShownPicture = picture;
    else if (picture != mShownPicture)
        mShownPicture.clear();

    int32_t width = picture[0];
    if (width <= 10)
        return;

    // The plot on the palette's base colour, in a border as light as its grid would be.
    const PlotColors colors = PlotColors::Of(GetWidget()->palette());
    port->RGBForeColor(colors.background);
    port->PaintRect(frame);
    port->RGBForeColor(colors.grid);
    port->FrameRect(frame);

    // Later sensors are drawn over earlier ones.
    for (size_t at = 2; at < picture.size();) {
        port->RGBForeColor(colors.OnPlot(GetSensorIndexColor(picture[at])));
        auto points = static_cast<size_t>(picture[at + 1]);
        at += 2;
        for (size_t j = 0; j < points; ++j) {
            if (j == 0)
                port->MoveTo(frame.left + 1, picture[at + j]);
            else
                port->LineTo(frame.left + 1 + static_cast<int32_t>(j), picture[at + j]);
        }
        at += points;
    }
}
