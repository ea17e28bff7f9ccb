// The saved state of one graph window, as the preferences file records it.
#pragma once

#include "framework/QuickDrawTypes.h"
#include "prefs/SensorNameList.h"

#include <cstdint>

class LStream;

class GraphWindowPrefs {
public:
    static constexpr int32_t kRecordVersion = 997;

    GraphWindowPrefs();
    virtual ~GraphWindowPrefs();

    GraphWindowPrefs(const GraphWindowPrefs&) = delete;
    GraphWindowPrefs& operator=(const GraphWindowPrefs&) = delete;

    virtual void StreamOut(LStream& stream);
    // A record of another version keeps its defaults and has read only its version.
    virtual void StreamIn(LStream& stream);

    // The window's content rectangle in global coordinates.
    const Rect& GetWindowRect() const { return mWindowRect; }
    void SetWindowRect(const Rect& rect) { mWindowRect = rect; }
    // The checked items of the sensor pop-up, in menu order.
    SensorNameList* GetSensorNames() { return &mSensorNames; }
    // The current item of the graph-mode pop-up.
    int16_t GetDisplayMenuItem() const { return mDisplayMenuItem; }
    void SetDisplayMenuItem(int16_t item) { mDisplayMenuItem = item; }
    // The time scale the user chose, in pixels per minute; 0 while the window chooses it by itself. Not part
    // of the record in the preferences file, which has no place for it: the preferences keep it in
    // "Kelvara Settings.ini", by the record's place among the graph windows.
    int32_t GetPixelsPerMinute() const { return mPixelsPerMinute; }
    void SetPixelsPerMinute(int32_t pixels) { mPixelsPerMinute = pixels; }

private:
    Rect mWindowRect;
    SensorNameList mSensorNames;
    int16_t mDisplayMenuItem = 0;
    int32_t mPixelsPerMinute = 0;
};
