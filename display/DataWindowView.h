// One row of a data window: places the row's text panes for the shown columns and refreshes their texts,
// which its window asks for after each sample.
#pragma once

#include "framework/QuickDrawTypes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class DataWindow;
class LStaticText;
class TemperatureSensor;

class DataWindowView {
public:
    // The name pane and the 13 column panes of a row.
    static constexpr int kPaneCount = 14;
    // Text traits of the change column.
    static constexpr int16_t kFallTraits = 136;
    static constexpr int16_t kAtMaximumTraits = 137;
    static constexpr int16_t kRiseTraits = 138;
    // The alarm style of the current value, at or above the sensor's high limit: red and bold.
    static constexpr int16_t kAtLimitTraits = 137;

    // Row 0 is the header row and has no sensor. Throws nilP when one of the row's panes is missing.
    DataWindowView(DataWindow* owner, int32_t row, TemperatureSensor* sensor, uint32_t columnMask);
    ~DataWindowView();
    DataWindowView(const DataWindowView&) = delete;
    DataWindowView& operator=(const DataWindowView&) = delete;

    // The right edge of the row's last shown pane.
    int16_t GetWidth() const { return mNextColumn; }

    void UpdateDisplay();

    // The row's sensor (null for the header row) and the pane that shows its name.
    TemperatureSensor* GetSensor() const { return mSensor; }
    LStaticText* GetNamePane() const { return mTexts[0].pane; }

    // The owner's text pane named by prefix and row ("%s%02d"), or null.
    LStaticText* FindPaneByIndex(const char* prefix, int32_t row) const;

private:
    struct RowText {
        LStaticText* pane = nullptr;
        // Where the layout put the pane, in its view.
        Rect layoutFrame;
        // What this row last gave the pane. Most texts stay as they are from one sample to the next, and
        // comparing here leaves the panes, spread over the heap, untouched.
        std::optional<std::string> shown;
    };

    void GetTextPointers();
    bool SetTextState(int32_t column, LStaticText* pane, Rect* layoutFrame);
    void RestoreTextState(LStaticText* pane, Rect* layoutFrame);
    bool IsColumnShown(int32_t column) const;
    void SetColumnText(int slot, const char* text);

    DataWindow* mOwner;
    int32_t mRow;
    TemperatureSensor* mSensor;
    uint32_t mColumnMask;
    int16_t mNextColumn = 0;
    std::array<RowText, kPaneCount> mTexts {};
    std::optional<int32_t> mLastRawReading;
    // The reading before mLastRawReading, when the change column last moved.
    std::optional<int32_t> mChangedFrom;
    int16_t mLayoutChangeTraits = 0;
    int16_t mLayoutCurrentTraits = 0;
    // The current value's style, as last given to its pane.
    int16_t mCurrentTraits = 0;
};
