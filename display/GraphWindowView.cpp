#include "display/GraphWindowView.h"

#include "display/GraphTimeTexts.h"
#include "display/GraphToolTip.h"
#include "display/TimelineSampleTimes.h"
#include "framework/LException.h"
#include "framework/LPaneEntry.h"
#include "framework/PlotColors.h"
#include "framework/QDPort.h"
#include "framework/UColorContrast.h"
#include "platform/Platform.h"
#include "sensors/SampleTimeline.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "util/SensorColors.h"
#include "util/SensorRange.h"
#include "util/TemperatureUnits.h"

#include <QPalette>
#include <QToolTip>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

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

constexpr int32_t kMinutesPerHour = 60;
// Marks on the time axis no further apart than this, unless every hour is already marked.
constexpr int32_t kWidestMarkSpacing = 200;
constexpr int32_t kShorterMarkMinutes[] = { 15, 10 };
constexpr int kLabelTextSize = 9;
constexpr int32_t kLabelRight = 30;
constexpr int16_t kFirstSampleH = 31;
// A pause in a history is a band this wide.
constexpr int32_t kPauseBandWidth = 4;

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

// The plot's edges, which a zoomed image of 250 hours takes past the 16 bits of a Rect.
struct PlotEdges {
    int32_t top;
    int32_t left;
    int32_t bottom;
    int32_t right;
};

PlotEdges PlotRect(int32_t width, int32_t height)
{
    return PlotEdges { kPlotTop, kPlotLeft, static_cast<int16_t>(height - kPlotBottomMargin),
        width - kPlotRightMargin };
}

// What the port can reach of the image.
struct Reach {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

Reach ReachOf(const QDPort& port)
{
    Reach reach;
    port.GetClipEdges(reach.left, reach.top, reach.right, reach.bottom);
    return reach;
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

// How long before now each of a run of one sensor's samples was taken, each asked for once: a drawing needs
// every sample's column and whether a pause lies before it, and asking the times sample by sample for each
// costs more than the drawing itself.
class SampleAges {
public:
    // The samples from first - 1 (the one before first, if any) to before last.
    SampleAges(const SampleTimes& times, const TemperatureSensor& sensor, int32_t first, int32_t last)
        : mFrom(std::max(0, first - 1))
    {
        for (int32_t sample = mFrom; sample < last; ++sample)
            mAges.push_back(times.SecondsAgo(sensor, sample));
    }
    int64_t At(int32_t sample) const { return mAges[static_cast<size_t>(sample - mFrom)]; }
    // Whether the sample was taken more than a pause after the newer one before it.
    bool PauseBefore(int32_t sample) const
    {
        return sample > mFrom && At(sample) - At(sample - 1) > SampleTimeline::kLongestPause;
    }

private:
    int32_t mFrom;
    std::vector<int64_t> mAges;
};

void DrawStringEndingAt(QDPort* port, int32_t right, int32_t baseline, const std::string& text)
{
    port->MoveTo(right - port->StringWidth(text), baseline);
    port->DrawString(text);
}

}

GraphWindowView::GraphWindowView(const LPaneEntry& entry)
    : LView(entry.GetPaneInfo())
    , mTimelineTimes(std::make_unique<TimelineSampleTimes>(Platform::GetClock()))
    , mTimes(mTimelineTimes.get())
{
    // Up to 15000 samples per sensor, of which only those on screen are drawn, pixel by pixel into an image
    // the size of the part exposed.
    SetDrawsOffscreen(true);
    InitArrays();
}

GraphWindowView::~GraphWindowView() = default;

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
}

void GraphWindowView::SetupSelf()
{
    SetImageSize();
}

void GraphWindowView::ShowNewSamples()
{
    std::vector<uint64_t> revisions = TimelineRevisions();
    if (revisions == mDrawnRevisions && ++mSamplesSinceRedraw < kSamplesBetweenRedraws)
        return;
    mDrawnRevisions = std::move(revisions);
    mSamplesSinceRedraw = 0;
    SetImageSize();
    Refresh();
}

std::vector<uint64_t> GraphWindowView::TimelineRevisions() const
{
    std::vector<uint64_t> revisions;
    for (ArrayIndexT i = 1; i <= mSensors->GetCount(); ++i) {
        if (const TemperatureSensor* sensor = (*mSensors)[i])
            revisions.push_back(sensor->GetTimeline().Revision());
    }
    return revisions;
}

void GraphWindowView::SetTimeScale(int32_t pixelsPerMinute)
{
    int32_t scale = kTimeScales.front();
    for (int32_t step : kTimeScales) {
        if (step <= pixelsPerMinute)
            scale = step;
    }
    mAutomaticTimeScale = false;
    mPixelsPerMinute = scale;
    SetImageSize();
}

int32_t GraphWindowView::NextTimeScale(int direction) const
{
    auto at = std::find(kTimeScales.begin(), kTimeScales.end(), mPixelsPerMinute);
    if (direction > 0 && at + 1 < kTimeScales.end())
        return *(at + 1);
    if (direction < 0 && at > kTimeScales.begin())
        return *(at - 1);
    return mPixelsPerMinute;
}

void GraphWindowView::SetAutomaticTimeScale(bool automatic)
{
    mAutomaticTimeScale = automatic;
    SetImageSize();
}

int32_t GraphWindowView::AutomaticTimeScale(int64_t historySeconds) const
{
    int64_t minutes = historySeconds / 60;
    if (minutes < kMinutesBeforeZooming)
        return kTimeScales.front();
    // The plot of an image as wide as the frame.
    int64_t plotWidth = GetWidth() - kFrameExtraWidth - kPlotLeft - kPlotRightMargin;
    for (int32_t scale : kTimeScales) {
        if (2 * scale * minutes >= plotWidth)
            return scale;
    }
    return kTimeScales.back();
}

int32_t GraphWindowView::ColumnOfSecondsAgo(int64_t secondsAgo) const
{
    // The newest sample's step spans two columns, from 31; a minute is mPixelsPerMinute columns from 32 on.
    return static_cast<int32_t>(kFirstSampleH + 1 + mPixelsPerMinute * secondsAgo / 60);
}

int64_t GraphWindowView::SecondsAgoAtColumn(int32_t h) const
{
    return std::max<int64_t>(0, int64_t { h - (kFirstSampleH + 1) } * 60 / mPixelsPerMinute);
}

void GraphWindowView::SetImageSize()
{
    int32_t longest = 0;
    int64_t oldest = -1;
    for (ArrayIndexT i = 1; i <= mSensors->GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_((*mSensors)[i]);
        int32_t count = sensor->GetLTTempArray()->GetCount();
        longest = std::max(longest, count);
        if (count > 0)
            oldest = std::max(oldest, mTimes->SecondsAgo(*sensor, count - 1));
    }
    if (mAutomaticTimeScale) {
        int32_t scale = AutomaticTimeScale(std::max<int64_t>(0, oldest));
        if (scale != mPixelsPerMinute) {
            mPixelsPerMinute = scale;
            BroadcastMessage(msg_TimeScaleChanged, &mPixelsPerMinute);
        }
    }
    // Room for the oldest sample and the margin after it: one minute a pixel, that is 47 beyond the samples.
    int32_t history = longest == 0 ? kImageExtraWidth : ColumnOfSecondsAgo(oldest) + kImageExtraWidth - kFirstSampleH;
    int32_t width = std::max(GetWidth() - kFrameExtraWidth, history);
    ResizeImageTo(width, GetHeight(), false);
}

void GraphWindowView::DrawSelf()
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    port->PenNormal();
    port->RGBForeColor(PlotColors::Of(GetWidget()->palette()).text);
    DrawFrame();
    DrawData();
}

void GraphWindowView::DrawFrame()
{
    DrawMinMaxText();

    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    const PlotColors colors = PlotColors::Of(GetWidget()->palette());
    PlotEdges plot = PlotRect(mImageWidth, mImageHeight);
    Reach reach = ReachOf(*port);
    // Only what the port reaches of a plot that may be hundreds of thousands of pixels wide.
    int32_t left = std::max(plot.left, reach.left - 1);
    int32_t right = std::min(plot.right, reach.right + 1);
    port->RGBForeColor(colors.background);
    port->PaintRect(left, plot.top, right, plot.bottom);
    port->RGBForeColor(colors.border);
    port->FrameRect(plot.left, plot.top, plot.right, plot.bottom);

    if (mImageHeight > kGridlessHeight) {
        int32_t depth = plot.bottom - plot.top;
        port->RGBForeColor(colors.grid);
        for (int32_t y : { plot.top + depth / 4, plot.top + depth / 2, plot.top + (depth * 75) / 100 }) {
            port->MoveTo(std::max(plot.left + 1, left), y);
            port->LineTo(std::min(plot.right - 2, right), y);
        }
    }

    // Marks every hour, or every quarter or sixth of one when hours lie too far apart to tell the time between.
    int32_t markMinutes = kMinutesPerHour;
    for (int32_t shorter : kShorterMarkMinutes) {
        if (markMinutes * mPixelsPerMinute > kWidestMarkSpacing)
            markMinutes = shorter;
    }
    const int32_t spacing = markMinutes * mPixelsPerMinute;
    port->RGBForeColor(colors.border);
    // A label is centred on its mark and narrower than the marks are apart.
    int32_t first = std::max(0, (reach.left - plot.left - spacing) / spacing);
    for (int32_t mark = first; spacing * mark < plot.right - plot.left; ++mark) {
        int32_t x = plot.left + spacing * mark;
        if (x - spacing >= reach.right)
            break;
        port->RGBForeColor(colors.border);
        port->MoveTo(x, plot.bottom - 1);
        port->LineTo(x, plot.bottom + 3);
        std::string label = GraphTimeTexts::AxisLabel(markMinutes * mark);
        port->RGBForeColor(colors.text);
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
    // The labels end at the plot's left edge, which the plot's border covers.
    if (ReachOf(*port).left >= kLabelRight)
        return;
    port->RGBForeColor(PlotColors::Of(GetWidget()->palette()).text);

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

int32_t GraphWindowView::ColumnOfSample(const TemperatureSensor& sensor, int32_t sample) const
{
    return ColumnOfSampleAt(sample, mTimes->SecondsAgo(sensor, sample));
}

int32_t GraphWindowView::ColumnOfSampleAt(int32_t sample, int64_t ago) const
{
    // A newest sample taken now steps over two columns, from the plot's first.
    return sample == 0 && ago == 0 ? kFirstSampleH : ColumnOfSecondsAgo(ago);
}

std::pair<int32_t, int32_t> GraphWindowView::SamplesInReach(const TemperatureSensor& sensor, int32_t count) const
{
    const Reach reach = ReachOf(*ThrowIfNil_(QDPort::GetCurrentPort()));
    auto firstAtOrRightOf = [&](int32_t h) {
        int32_t low = 0;
        int32_t high = count;
        while (low < high) {
            int32_t middle = low + (high - low) / 2;
            if (ColumnOfSample(sensor, middle) < h)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    };
    // The samples whose columns lie in reach, and one more on either side for the lines to and from them.
    const int32_t from = firstAtOrRightOf(reach.left - 1);
    const int32_t to = std::max(from, firstAtOrRightOf(reach.right + 1));
    return { std::max(0, from - 1), std::min(count, to + 1) };
}

void GraphWindowView::DrawPauses()
{
    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    const PlotEdges plot = PlotRect(mImageWidth, mImageHeight);
    port->RGBForeColor(PlotColors::Of(GetWidget()->palette()).border);
    for (ArrayIndexT i = 1; i <= mSensors->GetCount(); ++i) {
        const TemperatureSensor& sensor = *ThrowIfNil_((*mSensors)[i]);
        const int32_t count = std::max(0, sensor.GetTimeline().Count() - 1);
        auto [first, last] = SamplesInReach(sensor, count);
        const SampleAges ages(*mTimes, sensor, first + 1, last);
        for (int32_t sample = first + 1; sample < last; ++sample) {
            if (!ages.PauseBefore(sample))
                continue;
            // Midway between the samples either side of the pause, inside the frame.
            int32_t middle
                = (ColumnOfSampleAt(sample - 1, ages.At(sample - 1)) + ColumnOfSampleAt(sample, ages.At(sample))) / 2;
            int32_t left = std::clamp(middle - kPauseBandWidth / 2, plot.left + 1, plot.right - 1);
            int32_t right = std::clamp(left + kPauseBandWidth, plot.left + 1, plot.right - 1);
            port->PaintRect(left, plot.top + 1, right, plot.bottom - 1);
        }
    }
}

void GraphWindowView::DrawData()
{
    // Under the lines, so that a pause of one sensor never hides another's line.
    DrawPauses();

    QDPort* port = ThrowIfNil_(QDPort::GetCurrentPort());
    const PlotColors colors = PlotColors::Of(GetWidget()->palette());
    const auto bottom = static_cast<int16_t>(mImageHeight - kPlotBottomMargin);
    const int32_t innerHeight = bottom - 5;
    int32_t lowest = 0;
    int32_t highest = 0;
    GetMinMaxTemperaturesAsCelcius(*mSensors, lowest, highest);
    const int32_t span = WrappingDifference(highest, lowest);
    // Only the samples of the columns in reach are drawn.
    const Reach reach = ReachOf(*port);

    std::vector<int16_t> rows;
    std::vector<int32_t> columns;
    std::vector<bool> pauses;
    for (ArrayIndexT i = 1; i <= mSensors->GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_((*mSensors)[i]);
        port->RGBForeColor(colors.OnPlot(GetSensorIndexColor(sensor->GetSensorIndex())));
        const TempElementArray* history = sensor->GetLTTempArray();
        // The oldest sample is not drawn.
        const int32_t count = std::max(0, history->GetCount() - 1);
        auto [first, last] = SamplesInReach(*sensor, count);
        rows.clear();
        columns.clear();
        pauses.clear();
        bool minuteColumns = mPixelsPerMinute == 1;
        const SampleAges ages(*mTimes, *sensor, first, last);
        for (int32_t sample = first; sample < last; ++sample) {
            int32_t raw = ThrowIfNil_((*history)[sample + 1])->GetRawTemperature();
            int32_t value = 0;
            if (mGraphMode == kPercentMode)
                value = sensor->ConvertRawToPercent(raw);
            else if (span != 0)
                value = TruncatingQuotient(
                    WrappingProduct(WrappingDifference(sensor->ConvertRawToCelcius(raw), lowest), 100), span);
            rows.push_back(static_cast<int16_t>(bottom - WrappingProduct(value, innerHeight) / 100 - 2));
            columns.push_back(ColumnOfSampleAt(sample, ages.At(sample)));
            pauses.push_back(ages.PauseBefore(sample));
            minuteColumns
                = minuteColumns && !pauses.back() && (sample == 0 || columns.back() == kFirstSampleH + 1 + sample);
        }
        if (minuteColumns) {
            // One sample a column: drawn a column at a time.
            const int32_t columnFrom = std::clamp(reach.left - (kFirstSampleH + 1), 0, count);
            const int32_t columnTo = std::clamp(reach.right - kFirstSampleH, columnFrom, count);
            if (columnFrom >= first && std::min(count, columnTo + 1) <= last) {
                DrawSampleLine(*port, rows, first, count, columnFrom, columnTo);
                continue;
            }
        }
        // No line across a pause: the samples either side of it are not joined.
        for (size_t at = 0; at < rows.size(); ++at) {
            if (at == 0 || pauses[at])
                port->MoveTo(columns[at], rows[at]);
            else
                port->LineTo(columns[at], rows[at]);
        }
    }
    port->RGBForeColor(colors.text);
}

std::string GraphWindowView::GetToolTipAt(int32_t h, int32_t v)
{
    PlotEdges plot = PlotRect(mImageWidth, mImageHeight);
    if (h < plot.left || h >= plot.right || v < plot.top || v >= plot.bottom)
        return {};
    const RGBColor background = UColorContrast::FromQColor(QToolTip::palette().color(QPalette::ToolTipBase));
    return GraphToolTip::Text(
        *mSensors, *mTimes, SecondsAgoAtColumn(h), Platform::GetClock().GetDateTime(), background);
}
