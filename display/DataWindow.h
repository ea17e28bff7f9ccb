// A window with one row per chosen sensor, the columns the user picked, and a small history graph.
#pragma once

#include "framework/LArray.h"
#include "framework/LListener.h"
#include "framework/LWindow.h"
#include "prefs/RecordedWindow.h"
#include "prefs/SensorNameList.h"

#include <array>
#include <cstdint>
#include <memory>

class DataWindowGraph;
class DataWindowView;
class LBevelButton;
class LScroller;
class SensorNameEditor;

class DataWindow : public LWindow, public RecordedDataWindow, public LListener {
public:
    static constexpr ResIDT kLayoutID = 129;
    // The controls and the header row above the first sensor row, and the height of each sensor row.
    static constexpr int16_t kHeaderHeight = 48;
    static constexpr int16_t kRowHeight = 15;
    // The strip graph beside the controls, at the window's smallest; in a taller window it takes at least a
    // third of the height, and whatever the rows do not need.
    static constexpr int16_t kGraphTop = 3;
    static constexpr int16_t kGraphHeight = 24;

    explicit DataWindow(const LPaneEntry& entry);
    ~DataWindow() override;

    void AttemptClose() override;
    void ListenToMessage(MessageT message, void* parameter) override;

    // Rebuilds every row from the pop-ups' check marks; a window at its smallest takes the size of the new rows
    // (as far as the screen allows), a larger one keeps its size, at least that.
    void CreateSensorDisplay();
    void DeleteSensorDisplay();
    // Bit i set when item i of the column pop-up is checked.
    uint32_t GetCurrentSensorDisplayMask() const;

    void GetWindowPrefs(DataWindowPrefs* prefs) override;
    // Also restores the window's size, no smaller than its rows need (nor larger than the screen).
    void SetWindowPrefs(DataWindowPrefs* prefs) override;

    // The user's resizing too: the strip graph and the rows share the height, and a scroll bar beside the rows
    // gets room of its own when they do not fit.
    void DoSetBounds(const Rect& bounds) override;

    // The smallest the window may be: as large as its rows and columns, unless that is larger than the screen.
    int32_t GetMinimumWidth() const { return mMinimumWidth; }
    int32_t GetMinimumHeight() const { return mMinimumHeight; }
    // How high the strip graph is in a window of this height.
    int32_t GraphHeightFor(int32_t windowHeight) const;

protected:
    void FinishCreateSelf() override;

private:
    LBevelButton* FindPopup(const char (&paneID)[5]);
    // The rows' height in full, and whether a window of this height shows less than that.
    int32_t RowsHeight() const;
    bool RowsScrollAt(int32_t windowHeight) const;
    void LayOutPanes();
    void UpdateRows();

    LBevelButton* mSensorPopup = nullptr;
    LBevelButton* mColumnPopup = nullptr;
    LBevelButton* mGraphModePopup = nullptr;
    TArray<DataWindowView*> mRowViews;
    DataWindowGraph* mGraph = nullptr;
    // A double click on a row renames its sensor.
    std::unique_ptr<SensorNameEditor> mNameEditor;
    // The header row's view, and the rows' view in its scroller.
    LView* mHeader = nullptr;
    LScroller* mRowScroller = nullptr;
    LView* mRows = nullptr;
    // The pop-ups' widths in the layout, at least what they take; wider faces in the desktop's font push the
    // strip graph to the right.
    std::array<int, 3> mPopupLayoutWidths {};
    int32_t mRowCount = 0;
    int32_t mColumnsWidth = 0;
    // 0 until the rows are first built.
    int32_t mMinimumWidth = 0;
    int32_t mMinimumHeight = 0;
};
