#include "display/DataWindowView.h"

#include "display/DataWindow.h"
#include "framework/LException.h"
#include "framework/LPaneEntry.h"
#include "framework/LStaticText.h"
#include "sensors/TemperatureSensor.h"
#include "util/TemperatureUnits.h"

#include <charconv>

namespace {

// The row's panes from left to right: the name, then the columns by their item in the column pop-up
// (item 8 has no column).
struct RowColumn {
    int32_t column;
    const char* prefix;
};

constexpr std::array<RowColumn, DataWindowView::kPaneCount> kRowColumns { {
    { 0, "Na" },
    { 1, "Tc" },
    { 2, "Td" },
    { 3, "Tl" },
    { 4, "Th" },
    { 5, "Ti" },
    { 6, "Ta" },
    { 7, "PE" },
    { 9, "Cu" },
    { 10, "LT" },
    { 11, "HT" },
    { 12, "MI" },
    { 13, "MA" },
    { 14, "Tp" },
} };

enum Slot {
    kName = 0,
    kCurrent,
    kChange,
    kLowThreshold,
    kHighThreshold,
    kMinimum,
    kMaximum,
    kPercent,
    kRawCurrent,
    kRawLowThreshold,
    kRawHighThreshold,
    kRawMinimum,
    kRawMaximum,
    kType,
};

constexpr const char* kNotAvailable = "n/a";

}

DataWindowView::DataWindowView(DataWindow* owner, int32_t row, TemperatureSensor* sensor, uint32_t columnMask)
    : mOwner(owner)
    , mRow(row)
    , mSensor(sensor)
    , mColumnMask(columnMask)
{
    ThrowIfNil_(mOwner);
    if (mSensor != nullptr)
        mLastRawReading = mSensor->GetCurrentReading();
    mChangedFrom = mLastRawReading;

    GetTextPointers();

    LStaticText* name = mTexts[kName].pane;
    if (mSensor != nullptr) {
        name->SetDescriptor(mSensor->GetShownName());
        // The name's tool tip tells a renamed sensor's hardware name and its device; a plain name that fits
        // needs none.
        std::string tip = mSensor->GetNameToolTip();
        name->SetToolTip(tip == mSensor->GetShownName() ? std::string() : tip);
    }
    name->Show();

    for (int slot = kCurrent; slot < kPaneCount; ++slot)
        SetTextState(kRowColumns[slot].column, mTexts[slot].pane, &mTexts[slot].layoutFrame);

    if (IsColumnShown(2) && mRow >= 1) {
        char text[kScaledTemperatureTextSize];
        FormatScaledTemperatureAsString(0, text);
        SetColumnText(kChange, text);
    }

    if (mRow != 0) {
        // The panes may still hold another sensor's texts from before the rows were rebuilt. A failed reading
        // is dropped here as it would be at any later update.
        LException::ReportAndDrop("updating a data window row", [this] { UpdateDisplay(); });
    }
}

DataWindowView::~DataWindowView()
{
    // The next row on these panes starts without this one's change and alarm styles.
    if (mTexts[kChange].pane != nullptr && mTexts[kChange].pane->GetTextTraitsID() != mLayoutChangeTraits)
        mTexts[kChange].pane->SetTextTraitsID(mLayoutChangeTraits);
    if (mTexts[kCurrent].pane != nullptr && mTexts[kCurrent].pane->GetTextTraitsID() != mLayoutCurrentTraits)
        mTexts[kCurrent].pane->SetTextTraitsID(mLayoutCurrentTraits);
    if (mTexts[kName].pane != nullptr)
        mTexts[kName].pane->SetToolTip({});
    for (RowText& text : mTexts) {
        if (text.pane != nullptr)
            RestoreTextState(text.pane, &text.layoutFrame);
    }
}

LStaticText* DataWindowView::FindPaneByIndex(const char* prefix, int32_t row) const
{
    return dynamic_cast<LStaticText*>(mOwner->FindPaneByID(LPaneEntry::RowPaneID(prefix, row)));
}

void DataWindowView::GetTextPointers()
{
    // Nothing is moved or shown before every pane has been found, so a missing pane leaves the row as it was.
    for (int slot = 0; slot < kPaneCount; ++slot) {
        LStaticText* pane = ThrowIfNil_(FindPaneByIndex(kRowColumns[slot].prefix, mRow));
        mTexts[slot].pane = pane;
        pane->CalcLocalFrameRect(mTexts[slot].layoutFrame);
    }
    mNextColumn = mTexts[kName].layoutFrame.right;
    mLayoutChangeTraits = mTexts[kChange].pane->GetTextTraitsID();
    mLayoutCurrentTraits = mTexts[kCurrent].pane->GetTextTraitsID();
    mCurrentTraits = mLayoutCurrentTraits;
}

bool DataWindowView::IsColumnShown(int32_t column) const
{
    return column >= 1 && column < 32 && (mColumnMask & (1u << column)) != 0;
}

bool DataWindowView::SetTextState(int32_t column, LStaticText* pane, Rect* layoutFrame)
{
    if (!IsColumnShown(column))
        return false;
    pane->PlaceInSuperImageAt(mNextColumn, layoutFrame->top, false);
    pane->Show();
    mNextColumn = static_cast<int16_t>(mNextColumn + layoutFrame->right - layoutFrame->left);
    return true;
}

void DataWindowView::RestoreTextState(LStaticText* pane, Rect* layoutFrame)
{
    pane->Hide();
    pane->PlaceInSuperImageAt(layoutFrame->left, layoutFrame->top, false);
}

void DataWindowView::SetColumnText(int slot, const char* text)
{
    RowText& column = mTexts[slot];
    if (!IsColumnShown(kRowColumns[slot].column) || column.shown == text)
        return;
    column.pane->SetDescriptor(text);
    column.shown = text;
}

void DataWindowView::UpdateDisplay()
{
    if (mSensor == nullptr)
        return;

    std::optional<int32_t> reading = mSensor->GetCurrentReading();
    int32_t lowThreshold = mSensor->GetRawLowThreshold();
    int32_t highThreshold = mSensor->GetRawHighThreshold();
    int32_t minimum = mSensor->GetRawMinimumReading();
    int32_t maximum = mSensor->GetRawMaximumReading();
    int32_t type = mSensor->GetSensorType();

    char text[kScaledTemperatureTextSize];
    auto temperature = [&](int32_t value) {
        mSensor->ConvertRawTemperatureToString(value, text);
        return text;
    };
    auto threshold = [&](int32_t value) { return value == kNoThreshold ? kNotAvailable : temperature(value); };
    auto hex = [&](int32_t value) {
        *std::to_chars(text, text + sizeof text - 1, static_cast<uint32_t>(value), 16).ptr = '\0';
        return text;
    };
    auto rawThreshold = [&](int32_t value) { return value == kNoThreshold ? kNotAvailable : hex(value); };
    // A sensor that never read has no range to show.
    bool hasRange = mSensor->HasRecordedRange();
    auto extreme = [&](int32_t value) { return hasRange ? temperature(value) : kNotAvailable; };
    auto rawExtreme = [&](int32_t value) { return hasRange ? hex(value) : kNotAvailable; };

    // Without a reading ("n/a", or "asleep" while a graphics card sleeps) nothing is made up.
    mSensor->GetSensorTemperatureAsString(text);
    SetColumnText(kCurrent, text);
    if (IsColumnShown(1)) {
        // At or above the high limit (the hardware monitor's max, else its crit) the value is an alarm.
        bool atLimit = highThreshold != kNoThreshold && reading && *reading >= highThreshold;
        int16_t traits = atLimit ? kAtLimitTraits : mLayoutCurrentTraits;
        if (mCurrentTraits != traits) {
            mTexts[kCurrent].pane->SetTextTraitsID(traits);
            mCurrentTraits = traits;
        }
    }
    SetColumnText(kLowThreshold, threshold(lowThreshold));
    SetColumnText(kHighThreshold, threshold(highThreshold));
    SetColumnText(kMinimum, extreme(minimum));
    SetColumnText(kMaximum, extreme(maximum));
    mSensor->GetSensorTemperatureAsPercent(text);
    SetColumnText(kPercent, text);
    SetColumnText(kRawCurrent, reading ? hex(*reading) : kNotAvailable);
    SetColumnText(kRawLowThreshold, rawThreshold(lowThreshold));
    SetColumnText(kRawHighThreshold, rawThreshold(highThreshold));
    SetColumnText(kRawMinimum, rawExtreme(minimum));
    SetColumnText(kRawMaximum, rawExtreme(maximum));
    SetColumnText(kType, hex(type));

    // The change column holds the last visible change until the scaled reading moves again. It keeps the two
    // readings, not the text, so that a change of scale shows the same change in the new scale.
    if (IsColumnShown(2)) {
        LStaticText* pane = mTexts[kChange].pane;
        if (!reading) {
            SetColumnText(kChange, kNotAvailable);
        } else {
            if (!mLastRawReading)
                mLastRawReading = mChangedFrom = reading;
            int32_t change
                = mSensor->ConvertRawToScaledTemp(*reading) - mSensor->ConvertRawToScaledTemp(*mLastRawReading);
            if (change != 0) {
                if (*reading >= maximum)
                    pane->SetTextTraitsID(kAtMaximumTraits);
                else if (change > 0)
                    pane->SetTextTraitsID(kRiseTraits);
                else
                    pane->SetTextTraitsID(kFallTraits);
                mChangedFrom = mLastRawReading;
                mLastRawReading = reading;
            }
            FormatScaledTemperatureAsString(
                mSensor->ConvertRawToScaledTemp(*mLastRawReading) - mSensor->ConvertRawToScaledTemp(*mChangedFrom),
                text);
            SetColumnText(kChange, text);
        }
    }
}
