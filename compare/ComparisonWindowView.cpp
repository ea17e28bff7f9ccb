#include "compare/ComparisonWindowView.h"

#include "compare/ComparisonSensor.h"
#include "compare/ComparisonSystem.h"
#include "framework/LException.h"
#include "framework/LPaneEntry.h"
#include "framework/PlotColors.h"
#include "framework/QDPort.h"
#include "util/SharedUtils.h"
#include "util/TemperatureUnits.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>

namespace {

constexpr RGBColor kLowEnd { 0, 16384, 32767 };
constexpr RGBColor kHighEnd { 16384, 32767, 0 };

constexpr int kTextSize = 9;
constexpr int32_t kNameBaseline = 14;
constexpr int32_t kFrameTop = 20;
constexpr int32_t kFrameBottomMargin = 20;
constexpr int32_t kPlotTop = 23;
constexpr int32_t kFrameInset = 30;
constexpr int32_t kFirstPointInset = 7;
// Bars whose ends lie more than this many pixels apart get a stem and two triangles; closer ones a square.
constexpr int32_t kShortestBar = 8;
// A column of more data points repeats its name along the graph, this many points apart.
constexpr int32_t kNameRepeatPoints = 50;
constexpr int32_t kNameClearance = 40;

void UseTextFace(QDPort* port, uint8_t face)
{
    port->TextFont("Helvetica");
    port->TextSize(kTextSize);
    port->TextFace(face);
}

// Text width in the drawing's font, also when nothing is being drawn (the image is sized before drawing).
int32_t MeasureText(const std::string& text, uint8_t face)
{
    if (QDPort* port = QDPort::GetCurrentPort()) {
        UseTextFace(port, face);
        return port->StringWidth(text);
    }
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    QDPort port(painter);
    UseTextFace(&port, face);
    return port.StringWidth(text);
}

std::string SensorName(const ComparisonSensor* sensor)
{
    char name[ComparisonSensor::kNameSize];
    return sensor->GetSensorName(name);
}

std::string ScaledText(int32_t value)
{
    char text[kScaledTemperatureTextSize];
    FormatScaledTemperatureAsString(value, text);
    return text;
}

void DrawStringEndingAt(QDPort* port, int32_t right, int32_t baseline, const std::string& text)
{
    port->MoveTo(right - port->StringWidth(text), baseline);
    port->DrawString(text);
}

void DrawOutline(QDPort* port, std::initializer_list<std::pair<int32_t, int32_t>> corners)
{
    const auto& first = *corners.begin();
    port->MoveTo(first.first, first.second);
    for (auto corner = corners.begin() + 1; corner != corners.end(); ++corner)
        port->LineTo(corner->first, corner->second);
    port->LineTo(first.first, first.second);
}

}

ComparisonWindowView::ComparisonWindowView(const LPaneEntry& entry)
    : LView(entry.GetPaneInfo())
{
}

ComparisonWindowView::~ComparisonWindowView() = default;

void ComparisonWindowView::SetSystem(ComparisonSystem* system)
{
    mSystem = system;
    SetImageSize();
    // Drawing happens when the window is next painted, which this asks for at once.
    Refresh();
}

void ComparisonWindowView::SetImageSize()
{
    int32_t width = 0;
    if (mSystem != nullptr) {
        ComparisonSensorArray* sensors = mSystem->GetSensorArray();
        for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i)
            width += CalculateSensorGraphWidth(ThrowIfNil_((*sensors)[i])) + (i > 1 ? kDividerWidth : 0);
    }
    ResizeImageTo(width, GetHeight(), false);
}

int32_t ComparisonWindowView::CalculateSensorGraphWidth(const ComparisonSensor* sensor)
{
    int32_t graphWidth = sensor->GetDataCount() * kDataPointPitch + kGraphExtraWidth;
    return std::max(MeasureText(SensorName(sensor), QDPort::face_Bold), graphWidth);
}

void ComparisonWindowView::DrawSelf()
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    port->PenNormal();
    // Names and labels in the palette's text colour, the plots on its base colour, light or dark.
    mColors = PlotColors::Of(GetWidget()->palette());
    port->RGBForeColor(mColors.text);
    if (mSystem == nullptr)
        return;
    ComparisonSensorArray* sensors = mSystem->GetSensorArray();
    int32_t x = 0;
    for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i) {
        const ComparisonSensor* sensor = ThrowIfNil_((*sensors)[i]);
        DrawSensorGraph(x, sensor);
        x += CalculateSensorGraphWidth(sensor);
        if (i < sensors->GetCount())
            x += DrawGraphDivider(x);
    }
}

void ComparisonWindowView::DrawSensorGraph(int32_t x, const ComparisonSensor* sensor)
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    // All columns of a model share its scale, widened by a degree at each end.
    int32_t low = 0;
    int32_t high = 0;
    mSystem->GetSystemMinMaxC(low, high);
    low -= 1;
    high += 1;

    const int32_t count = sensor->GetDataCount();
    const int32_t graphWidth = count * kDataPointPitch + kGraphExtraWidth;
    const int32_t columnWidth = CalculateSensorGraphWidth(sensor);
    const int32_t left = graphWidth >= columnWidth ? x : x + (columnWidth - graphWidth) / 2;
    const int32_t bottom = mImageHeight - kFrameBottomMargin;
    const int32_t plotHeight = bottom - kPlotTop;

    std::string name = SensorName(sensor);
    UseTextFace(port, QDPort::face_Bold);
    const int32_t nameWidth = port->StringWidth(name);
    const int32_t centredName = x + (columnWidth - nameWidth) / 2;
    port->MoveTo(centredName, kNameBaseline);
    port->DrawString(name);
    // A column far wider than a window would show its name only in its middle: it is repeated above the
    // graph every 50 data points, from the frame's left edge, wherever it stays clear of the centred one.
    const int32_t frameRight = left + kFrameInset + count * kDataPointPitch;
    for (int32_t at = left + kFrameInset; count > kNameRepeatPoints && at + nameWidth <= frameRight;
         at += kNameRepeatPoints * kDataPointPitch) {
        bool clear = at + nameWidth + kNameClearance <= centredName || at >= centredName + nameWidth + kNameClearance;
        if (clear) {
            port->MoveTo(at, kNameBaseline);
            port->DrawString(name);
        }
    }
    UseTextFace(port, QDPort::face_Normal);

    DrawMinMaxText(left, low, high);
    DrawFrame(left, count);

    // The widening leaves at least 2 unless a model's every maximum lies below its every minimum, which
    // measured data may do; such bars land off the scale rather than divide by zero.
    const int32_t range = std::max(high - low, 1);
    for (int32_t k = 1; k <= count; ++k) {
        int32_t px = left + kFrameInset + kFirstPointInset + (k - 1) * kDataPointPitch;
        int32_t minimum = 0;
        int32_t maximum = 0;
        sensor->GetTempC(k, minimum, maximum);
        // A whole percentage first, then pixels, as the bars have always been placed.
        int32_t yLow = ((minimum - low) * 100 / range) * plotHeight / 100;
        int32_t yHigh = ((maximum - low) * 100 / range) * plotHeight / 100;
        if (yHigh - yLow > kShortestBar) {
            port->RGBForeColor(mColors.border);
            port->MoveTo(px, bottom - yLow - 4);
            port->LineTo(px, bottom - yHigh + 4);
            port->RGBForeColor(mColors.OnPlot(kLowEnd));
            DrawOutline(port, { { px, bottom - yLow - 4 }, { px - 4, bottom - yLow }, { px + 4, bottom - yLow } });
            port->RGBForeColor(mColors.OnPlot(kHighEnd));
            DrawOutline(port, { { px, bottom - yHigh + 4 }, { px - 4, bottom - yHigh }, { px + 4, bottom - yHigh } });
        } else {
            // A short range, or a maximum below its minimum: a square at the minimum.
            port->RGBForeColor(mColors.OnPlot(kHighEnd));
            Rect square { static_cast<int16_t>(bottom - yLow - 3), static_cast<int16_t>(px - 3),
                static_cast<int16_t>(bottom - yLow + 3), static_cast<int16_t>(px + 3) };
            port->FrameRect(square);
        }
        port->RGBForeColor(mColors.text);
    }
}

int32_t ComparisonWindowView::DrawGraphDivider(int32_t x)
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    port->RGBForeColor(mColors.grid);
    port->MoveTo(x + kDividerWidth / 2, mImageHeight - 5);
    port->LineTo(x + kDividerWidth / 2, 5);
    port->RGBForeColor(mColors.text);
    return kDividerWidth;
}

void ComparisonWindowView::DrawFrame(int32_t left, int32_t count)
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    const int32_t bottom = mImageHeight - kFrameBottomMargin;
    Rect frame { static_cast<int16_t>(kFrameTop), static_cast<int16_t>(left + kFrameInset),
        static_cast<int16_t>(bottom), static_cast<int16_t>(left + kFrameInset + count * kDataPointPitch) };
    port->RGBForeColor(mColors.background);
    port->PaintRect(frame);
    port->RGBForeColor(mColors.border);
    port->FrameRect(frame);

    if (mImageHeight > kGridlessHeight) {
        int32_t h = bottom - kFrameTop;
        port->RGBForeColor(mColors.grid);
        for (int32_t y : { kFrameTop + h / 4, kFrameTop + h / 2, kFrameTop + (h * 75) / 100 }) {
            port->MoveTo(frame.left + 1, y);
            port->LineTo(frame.right - 2, y);
        }
    }
    port->RGBForeColor(mColors.text);

    UseTextFace(port, QDPort::face_Normal);
    for (int32_t k = 1; k <= count; ++k) {
        int32_t tx = frame.left + kFirstPointInset + (k - 1) * kDataPointPitch;
        port->MoveTo(tx, bottom - 1);
        port->LineTo(tx, bottom + 3);
        if (k % 2 == 1) {
            std::string number = std::to_string(k);
            port->MoveTo(tx - port->StringWidth(number) / 2, bottom + 15);
            port->DrawString(number);
        }
    }
}

void ComparisonWindowView::DrawMinMaxText(int32_t left, int32_t low, int32_t high)
{
    // Bottom, the three quarters upward, top.
    std::array<std::string, 5> labels;
    if (low == 0 && high == 0) {
        labels.fill("n/a");
    } else {
        int32_t scaledLow = ConvertCToScale(low);
        int32_t scaledHigh = ConvertCToScale(high);
        int32_t span = scaledHigh - scaledLow;
        labels = { ScaledText(scaledLow), ScaledText(scaledLow + span / 4), ScaledText(scaledLow + span / 2),
            ScaledText(scaledLow + (span * 75) / 100), ScaledText(scaledHigh) };
    }

    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    UseTextFace(port, QDPort::face_Normal);
    const int32_t right = left + kFrameInset;
    const int32_t h = mImageHeight - 40;
    DrawStringEndingAt(port, right, 29, labels[4]);
    DrawStringEndingAt(port, right, h + 18, labels[0]);
    if (mImageHeight > kGridlessHeight) {
        DrawStringEndingAt(port, right, h / 4 + 25, labels[3]);
        DrawStringEndingAt(port, right, h / 2 + 25, labels[2]);
        DrawStringEndingAt(port, right, (h * 75) / 100 + 25, labels[1]);
    }
}

void ComparisonWindowView::DrawSensorStats(int32_t x, const ComparisonSensor* sensor)
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    int32_t minimum = 0;
    int32_t maximum = 0;
    sensor->GetSensorMinMaxC(minimum, maximum);
    UseTextFace(port, QDPort::face_Normal);
    char line[64];
    std::snprintf(line, sizeof line, "Max Temp: %s", ScaledText(ConvertCToScale(maximum)).c_str());
    port->MoveTo(x, 40);
    port->DrawString(line);
    std::snprintf(line, sizeof line, "Min Temp: %s", ScaledText(ConvertCToScale(minimum)).c_str());
    port->MoveTo(x, 55);
    port->DrawString(line);
}

bool ComparisonWindowView::WeAreTheSameSystem()
{
    if (mSystem == nullptr)
        return false;
    Str255 model;
    SharedUtils_GetMacName(&model);
    char id[ComparisonSystem::kIDSize];
    return Str255ToString(model) == mSystem->GetSystemID(id) && mSystem->GetSystemSpeed() != 0;
}
