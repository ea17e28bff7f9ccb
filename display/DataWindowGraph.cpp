#include "display/DataWindowGraph.h"

#include "framework/LException.h"
#include "framework/QDPort.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "util/SensorColors.h"
#include "util/SensorRange.h"

#include <algorithm>

namespace {

constexpr RGBColor kBackgroundColor { 55000, 55000, 55000 };
constexpr RGBColor kBorderColor { 43900, 43900, 43900 };

// 32-bit products wrap as they always have; only the overflow's undefined behaviour is kept out.
int32_t WrappingProduct(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

}

DataWindowGraph::DataWindowGraph(const LPaneEntry& entry)
    : LPane(entry.GetPaneInfo())
{
    InitArrays();
}

DataWindowGraph::~DataWindowGraph()
{
    mSensors.RemoveAllItems();
}

void DataWindowGraph::InitArrays()
{
    mSensors.RemoveAllItems();
    StartIdling(kRedrawSeconds);
}

void DataWindowGraph::SpendTime(const EventRecord&)
{
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

void DataWindowGraph::DrawSelf()
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    port->PenNormal();
    port->RGBForeColor(RGBColor {});

    Rect frame;
    CalcLocalFrameRect(frame);
    int32_t width = frame.right - frame.left - 2;
    int32_t height = frame.bottom - frame.top - 3;
    if (width <= 10)
        return;

    port->RGBForeColor(kBackgroundColor);
    port->PaintRect(frame);
    port->RGBForeColor(kBorderColor);
    port->FrameRect(frame);

    int32_t lowest = 0;
    int32_t highest = 0;
    GetMinMaxTemperaturesAsCelcius(mSensors, lowest, highest);

    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_(mSensors[i]);
        TempElementArray* history = sensor->GetSTTempArray();
        SwitchColor(sensor->GetSensorIndex());
        int32_t points = std::min(history->GetCount(), width);
        for (int32_t j = 1; j <= points; ++j) {
            int32_t raw = ThrowIfNil_((*history)[j])->GetRawTemperature();
            int32_t scaled = 0;
            if (mGraphMode == kPercentMode) {
                scaled = WrappingProduct(sensor->ConvertRawToPercent(raw), height);
            } else if (highest != lowest) {
                // The percentage is truncated before it is spread over the plot's height.
                int32_t percent = WrappingProduct(sensor->ConvertRawToCelcius(raw) - lowest, 100) / (highest - lowest);
                scaled = WrappingProduct(percent, height);
            }
            auto y = static_cast<int16_t>(frame.bottom - scaled / 100 - 2);
            if (j == 1)
                port->MoveTo(frame.left + 1, y);
            else
                port->LineTo(frame.left + j, y);
        }
    }
}
