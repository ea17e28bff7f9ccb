#include "display/GraphWindowView.h"

#include "framework/LException.h"
#include "framework/LPaneEntry.h"
#include "framework/QDPort.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "util/SensorColors.h"
#include "util/SensorRange.h"
#include "util/TemperatureUnits.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr RGBColor kBlack { 0, 0, 0 };
constexpr RGBColor kPlotBackground { 55000, 55000, 55000 };
constexpr RGBColor kGridGrey { 43900, 43900, 43900 };

// The plot rectangle's distances from the image's edges.
constexpr int16_t kPlotTop = 2;
constexpr int16_t kPlotLeft = 30;
constexpr int16_t kPlotBottomMargin = 25;
constexpr int16_t kPlotRightMargin = 15;

// Room that the image keeps beside the samples, and how much narrower than the frame it may be.
constexpr int32_t kImageExtraWidth = 47;
constexpr int32_t kFrameExtraWidth = 45;

// Only an image taller than this has room for grid lines and the middle value labels.
constexpr int32_t kGridlessHeight = 150;

constexpr int32_t kHourWidth = 60;
constexpr int kLabelTextSize = 9;
constexpr int32_t kLabelRight = 30;
constexpr int16_t kFirstSampleH = 31;

// 32-bit arithmetic that wraps as the graph has always computed it, instead of being undefined.
int32_t WrappingProduct(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

int32_t WrappingDifference(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

int32_t TruncatingQuotient(int32_t dividend, int32_t divisor)
{
    // The one division that traps.
    if (divisor == -1)
        return WrappingProduct(dividend, -1);
    return dividend / divisor;
}

Rect PlotRect(int32_t width, int32_t height)
{
    Rect plot;
    plot.top = kPlotTop;
    plot.left = kPlotLeft;
    plot.bottom = static_cast<int16_t>(height - kPlotBottomMargin);
    plot.right = static_cast<int16_t>(width - kPlotRightMargin);
    return plot;
}

// Of a line one column across from row `from` to row `to`, the pen lights the first (n + 1) / 2 of the n + 1
// rows in the first column and the rest in the second.
int32_t FirstColumnEnd(int32_t from, int32_t to)
{
    int32_t rows = std::abs(to - from);
    int32_t step = to < from ? -1 : 1;
    return rows == 0 ? from : from + step * ((rows + 1) / 2 - 1);
}

int32_t SecondColumnStart(int32_t from, int32_t to)
{
    int32_t rows = std::abs(to - from);
    int32_t step = to < from ? -1 : 1;
    return rows == 0 ? to : from + step * ((rows + 1) / 2);
}

// The line through a history's rows: the first at x 31, the next at 33, each further one a column on,
// lit pixel for pixel as LineTo from one to the next would light it. A column's pixels are one unbroken
// run, so each column takes one fill, and a run of columns on one row takes one, not one per pixel.
// Column 32 + i belongs to sample i (from 1; 0 and 1 share the first step) and depends only on the rows of
// samples i - 1 to i + 1, so the samples from `from` to before `to` draw their columns alone. rows holds
// the rows of the samples from `first` on, covering from - 1 to `to` (as far as there are samples).
void DrawSampleLine(
    QDPort& port, const std::vector<int16_t>& rows, int32_t first, int32_t count, int32_t from, int32_t to)
{
    auto row = [&](int32_t i) { return static_cast<int32_t>(rows[static_cast<size_t>(i - first)]); };
    if (count == 0 || from >= to)
        return;
    if (from <= 1) {
        port.MoveTo(kFirstSampleH, row(0));
        if (count == 1)
            return;
        // The first step spans two columns.
        port.LineTo(kFirstSampleH + 2, row(1));
    }

    int32_t runStart = -1;
    int32_t runEnd = -1;
    int32_t runRow = 0;
    auto flushRun = [&] {
        if (runStart < 0)
            return;
        port.MoveTo(runStart, runRow);
        port.LineTo(runEnd, runRow);
        runStart = -1;
    };
    for (int32_t i = std::max(from, 1); i < to; ++i) {
        int32_t x = kFirstSampleH + 1 + i;
        int32_t here = row(i);
        int32_t top = here;
        int32_t bottom = here;
        if (i >= 2) {
            int32_t start = SecondColumnStart(row(i - 1), here);
            top = std::min(top, start);
            bottom = std::max(bottom, start);
        }
        if (i + 1 < count) {
            int32_t end = FirstColumnEnd(here, row(i + 1));
            top = std::min(top, end);
            bottom = std::max(bottom, end);
        }
        if (top == bottom && runStart >= 0 && runRow == here) {
            runEnd = x;
            continue;
        }
        flushRun();
        if (top == bottom) {
            runStart = runEnd = x;
            runRow = here;
        } else {
            port.MoveTo(x, top);
            port.LineTo(x, bottom);
        }
    }
    flushRun();
    if (to == count)
        port.MoveTo(kFirstSampleH + count, row(count - 1));
}

void DrawStringEndingAt(QDPort* port, int32_t right, int32_t baseline, const std::string& text)
{
    port->MoveTo(right - port->StringWidth(text), baseline);
    port->DrawString(text);
}

}

GraphWindowView::GraphWindowView(const LPaneEntry& entry)
    : LView(entry.GetPaneInfo())
{
    // Up to 15000 samples per sensor, of which only those on screen are drawn, pixel by pixel into an image
    // the size of the part exposed.
    SetDrawsOffscreen(true);
    InitArrays();
}

GraphWindowView::~GraphWindowView()
{
    StopIdling();
}

void GraphWindowView::InitArrays()
{
    mSensors = std::make_unique<TArray<TemperatureSensor*>>();
}

void GraphWindowView::AddSensor(TemperatureSensor* sensor)
{
    mSensors->AddItem(sensor);
}

void GraphWindowView::ClearSensors()
{
    while (!mSensors->IsEmpty()) {
        ThrowIfNil_((*mSensors)[1]);
        mSensors->RemoveItemsAt(1, 1);
    }
    StopIdling();
}

void GraphWindowView::SetupSelf()
{
    SetImageSize();
    if (!IsIdling())
        StartIdling(kRefreshSeconds);
}

void GraphWindowView::SpendTime(const EventRecord&)
{
    SetImageSize();
    Refresh();
}

void GraphWindowView::SetImageSize()
{
    int32_t longest = 0;
    for (ArrayIndexT i = 1; i <= mSensors->GetCount(); ++i)
        longest = std::max(longest, ThrowIfNil_((*mSensors)[i])->GetLTTempArray()->GetCount());
    int32_t width = std::max(GetWidth() - kFrameExtraWidth, longest + kImageExtraWidth);
    ResizeImageTo(width, GetHeight(), false);
}

void GraphWindowView::DrawSelf()
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    port->PenNormal();
    port->RGBForeColor(kBlack);
    DrawFrame();
    DrawData();
}

void GraphWindowView::DrawFrame()
{
    DrawMinMaxText();

    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    Rect plot = PlotRect(mImageWidth, mImageHeight);
    port->RGBForeColor(kPlotBackground);
    port->PaintRect(plot);
    port->RGBForeColor(kBlack);
    port->FrameRect(plot);

    if (mImageHeight > kGridlessHeight) {
        int32_t depth = plot.bottom - plot.top;
        port->RGBForeColor(kGridGrey);
        for (int32_t y : { plot.top + depth / 4, plot.top + depth / 2, plot.top + (depth * 75) / 100 }) {
            port->MoveTo(plot.left + 1, y);
            port->LineTo(plot.right - 2, y);
        }
        port->RGBForeColor(kBlack);
    }

    Rect reach;
    port->GetClipBounds(reach);
    for (int32_t hour = 0; kHourWidth * hour < plot.right - plot.left; ++hour) {
        int32_t x = plot.left + kHourWidth * hour;
        // A label is centred on its mark and far narrower than the marks are apart.
        if (x + kHourWidth <= reach.left || x - kHourWidth >= reach.right)
            continue;
        port->MoveTo(x, plot.bottom - 1);
        port->LineTo(x, plot.bottom + 3);
        char label[32];
        if (hour == 0)
            std::snprintf(label, sizeof label, "now");
        else
            std::snprintf(label, sizeof label, "%dh ago", static_cast<int>(hour));
        port->MoveTo(x - port->StringWidth(label) / 2, plot.bottom + 15);
        port->DrawString(label);
    }
}

void GraphWindowView::DrawMinMaxText()
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    // The hour labels are drawn in this font too.
    port->TextSize(kLabelTextSize);
    port->TextFont("Helvetica");
    port->TextFace(QDPort::face_Normal);
    Rect reach;
    port->GetClipBounds(reach);
    // The labels end at the plot's left edge, which the plot's border covers.
    if (reach.left >= kLabelRight)
        return;

    // From the bottom of the plot to the top.
    std::array<std::string, 5> labels;
    if (mGraphMode == kRangeMode) {
        int32_t lowest = 0;
        int32_t highest = 0;
        GetMinMaxTemperaturesAsCelcius(*mSensors, lowest, highest);
        if (lowest == 0 && highest == 0) {
            labels.fill("n/a");
        } else {
            int32_t low = ConvertCToScale(lowest);
            int32_t high = ConvertCToScale(highest);
            int32_t span = high - low;
            std::array<int32_t, 5> values { low, low + span / 4, low + span / 2, low + (span * 75) / 100, high };
            for (size_t i = 0; i < labels.size(); ++i) {
                char text[kScaledTemperatureTextSize];
                FormatScaledTemperatureAsString(values[i], text);
                labels[i] = text;
            }
        }
    } else {
        labels = { "0%", "25%", "50%", "75%", "100%" };
    }

    int32_t lowBaseline = mImageHeight - 27;
    DrawStringEndingAt(port, kLabelRight, 11, labels[4]);
    DrawStringEndingAt(port, kLabelRight, lowBaseline, labels[0]);
    if (mImageHeight > kGridlessHeight) {
        DrawStringEndingAt(port, kLabelRight, lowBaseline / 4 + 5, labels[3]);
        DrawStringEndingAt(port, kLabelRight, lowBaseline / 2 + 5, labels[2]);
        DrawStringEndingAt(port, kLabelRight, (lowBaseline * 75) / 100 + 5, labels[1]);
    }
}

void GraphWindowView::DrawData()
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    const auto bottom = static_cast<int16_t>(mImageHeight - kPlotBottomMargin);
    const int32_t innerHeight = bottom - 5;
    int32_t lowest = 0;
    int32_t highest = 0;
    GetMinMaxTemperaturesAsCelcius(*mSensors, lowest, highest);
    const int32_t span = WrappingDifference(highest, lowest);
    // Sample i lights column 32 + i: only the samples of the columns in reach are drawn.
    Rect reach;
    port->GetClipBounds(reach);

    std::vector<int16_t> rows;
    for (ArrayIndexT i = 1; i <= mSensors->GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_((*mSensors)[i]);
        SwitchColor(sensor->GetSensorIndex());
        const TempElementArray* history = sensor->GetLTTempArray();
        // The oldest sample is not drawn. Columns 31 and 32 belong to the first step, so a reach that ends
        // before column 33 still takes sample 0.
        const int32_t count = std::max(0, history->GetCount() - 1);
        const int32_t from = std::clamp(reach.left - (kFirstSampleH + 1), 0, count);
        const int32_t to = std::clamp(reach.right - kFirstSampleH, from, count);
        const int32_t first = std::max(0, from - 1);
        const int32_t last = std::min(count, to + 1);
        rows.clear();
        for (int32_t sample = first; sample < last; ++sample) {
            int32_t raw = ThrowIfNil_((*history)[sample + 1])->GetRawTemperature();
            int32_t value = 0;
            if (mGraphMode == kPercentMode)
                value = sensor->ConvertRawToPercent(raw);
            else if (span != 0)
                value = TruncatingQuotient(
                    WrappingProduct(WrappingDifference(sensor->ConvertRawToCelcius(raw), lowest), 100), span);
            rows.push_back(static_cast<int16_t>(bottom - WrappingProduct(value, innerHeight) / 100 - 2));
        }
        DrawSampleLine(*port, rows, first, count, from, to);
    }
    port->RGBForeColor(kBlack);
}
