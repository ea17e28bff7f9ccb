// A window that plots the long-term history of the sensors the user picks, with a legend in their colours.
#pragma once

#include "framework/LListener.h"
#include "framework/LWindow.h"
#include "prefs/RecordedWindow.h"
#include "prefs/SensorNameList.h"

#include <cstdint>

class GraphWindowView;
class LBevelButton;
class LStaticText;
class TemperatureSensor;

class GraphWindow : public LWindow, public RecordedGraphWindow, public LListener {
public:
    static constexpr PaneIDT kSensorPopupID = FourCC("Show");
    static constexpr PaneIDT kModePopupID = FourCC("Disp");
    static constexpr PaneIDT kTimeScalePopupID = FourCC("Time");
    static constexpr PaneIDT kGraphViewID = FourCC("Gviw");
    static constexpr PaneIDT kLegendViewID = FourCC("Lgnd");
    // Legend entries are the panes Tx01, Tx02, ...: the layout makes twelve, and more are made for a window
    // that plots more sensors. The legend scrolls when they do not fit beside the graph.
    static constexpr int32_t kLegendEntries = 12;

    explicit GraphWindow(const LPaneEntry& layout);
    ~GraphWindow() override;

    // Hands the checked sensors to the view, rebuilds the legend and the title, and resizes the view's image.
    void SetupGraph();
    void ShowLegendText(int32_t entry, const TemperatureSensor& sensor);
    void HideLegendText();

    // The time scale, in pixels per minute, keeping the time in the middle of what the window shows where it
    // is (and now at the left edge when the window shows now). Ends the automatic choice of a new window.
    void ChangeTimeScale(int32_t pixelsPerMinute);

    void GetWindowPrefs(GraphWindowPrefs* prefs) override;
    // Also restores the window's place and size (no smaller than the layout's minimum).
    void SetWindowPrefs(GraphWindowPrefs* prefs) override;

    void ListenToMessage(MessageT message, void* parameter) override;
    void DoSetBounds(const Rect& bounds) override;
    void AttemptClose() override;

    GraphWindowView* GetGraphView() const { return mGraphView; }
    LBevelButton* GetSensorPopup() const { return mSensorPopup; }
    LBevelButton* GetModePopup() const { return mModePopup; }
    LBevelButton* GetTimeScalePopup() const { return mTimeScalePopup; }

protected:
    void FinishCreateSelf() override;

private:
    LStaticText* FindLegendPane(int32_t entry);
    // The legend's image: as tall as its entries.
    void FitLegend(int32_t entries);
    // Ctrl++ (also Ctrl+= and the keypad's +) and Ctrl+- step the time scale, Ctrl+0 goes back to the first,
    // wherever the keyboard focus is in the window.
    void AddTimeScaleShortcuts();
    void ShowTimeScale();

    LBevelButton* mSensorPopup = nullptr;
    LBevelButton* mModePopup = nullptr;
    LBevelButton* mTimeScalePopup = nullptr;
    GraphWindowView* mGraphView = nullptr;
    int32_t mMinimumWidth = 0;
    int32_t mMinimumHeight = 0;
};
