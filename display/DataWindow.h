// A window with one row per chosen sensor, the columns the user picked, and a small history graph.
#pragma once

#include "framework/LArray.h"
#include "framework/LListener.h"
#include "framework/LWindow.h"
#include "prefs/RecordedWindow.h"
#include "prefs/SensorNameList.h"

#include <cstdint>

class DataWindowGraph;
class DataWindowView;
class LBevelButton;

class DataWindow : public LWindow, public RecordedDataWindow, public LListener {
public:
    static constexpr ResIDT kLayoutID = 129;
    // The controls and the header row above the first sensor row, and the height of each sensor row.
    static constexpr int16_t kHeaderHeight = 48;
    static constexpr int16_t kRowHeight = 15;

    explicit DataWindow(const LPaneEntry& entry);
    ~DataWindow() override;

    void AttemptClose() override;
    void ListenToMessage(MessageT message, void* parameter) override;

    // Rebuilds every row from the pop-ups' check marks and sizes the window to fit them.
    void CreateSensorDisplay();
    void DeleteSensorDisplay();
    // Bit i set when item i of the column pop-up is checked.
    uint32_t GetCurrentSensorDisplayMask() const;

    void GetWindowPrefs(DataWindowPrefs* prefs) override;
    void SetWindowPrefs(DataWindowPrefs* prefs) override;

protected:
    void FinishCreateSelf() override;

private:
    LBevelButton* FindPopup(const char (&paneID)[5]);
    void UpdateRows();

    LBevelButton* mSensorPopup = nullptr;
    LBevelButton* mColumnPopup = nullptr;
    LBevelButton* mGraphModePopup = nullptr;
    TArray<DataWindowView*> mRowViews;
    DataWindowGraph* mGraph = nullptr;
};
