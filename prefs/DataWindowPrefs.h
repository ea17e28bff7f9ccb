// The saved state of one data window, as the preferences file records it.
#pragma once

#include "framework/QuickDrawTypes.h"
#include "prefs/SensorNameList.h"

#include <cstdint>

class LStream;

class DataWindowPrefs {
public:
    static constexpr int32_t kRecordVersion = 997;

    DataWindowPrefs();
    virtual ~DataWindowPrefs();

    DataWindowPrefs(const DataWindowPrefs&) = delete;
    DataWindowPrefs& operator=(const DataWindowPrefs&) = delete;

    virtual void StreamOut(LStream& stream);
    // A record of another version keeps its defaults and has read only its version.
    virtual void StreamIn(LStream& stream);

    // The window's content rectangle in global coordinates.
    const Rect& GetWindowRect() const { return mWindowRect; }
    void SetWindowRect(const Rect& rect) { mWindowRect = rect; }
    // Bit n set when item n of the column pop-up is checked.
    uint32_t GetSensorDisplayMask() const { return mSensorDisplayMask; }
    void SetSensorDisplayMask(uint32_t mask) { mSensorDisplayMask = mask; }
    // The checked items of the sensor pop-up, in menu order.
    SensorNameList* GetSensorNames() { return &mSensorNames; }
    uint8_t GetGraphMenuItem() const { return mGraphMenuItem; }
    void SetGraphMenuItem(uint8_t item) { mGraphMenuItem = item; }

private:
    Rect mWindowRect;
    uint32_t mSensorDisplayMask = 0;
    SensorNameList mSensorNames;
    uint8_t mGraphMenuItem = 2;
};
