// What the preferences need of a window they record: its state as a record, and word when it closes.
#pragma once

#include "framework/FourCharCode.h"
#include "framework/LBroadcaster.h"
#include "framework/QuickDrawTypes.h"
#include "prefs/SensorNameList.h"
#include "util/SensorMenus.h"

class DataWindowPrefs;
class GraphWindowPrefs;
class LBevelButton;

// A window derives from this in place of its LBroadcaster base; Preferences listens to it. WindowPrefs is
// the window's record, which holds its place and the sensors of its sensor pop-up; the window closing
// broadcasts closingMessage with the window (as this class) as the parameter.
template <typename WindowPrefs, MessageT closingMessage> class RecordedWindow : public LBroadcaster {
public:
    RecordedWindow() = default;
    // A window that goes away without having said so says it now, so that the preferences never keep a
    // pointer to a window that no longer exists.
    ~RecordedWindow() override
    {
        mBeingDeleted = true;
        BroadcastWindowClosing();
    }

    // Fills prefs with the window's state, for the preferences file.
    virtual void GetWindowPrefs(WindowPrefs* prefs) = 0;
    // Puts the window into the state that prefs records.
    virtual void SetWindowPrefs(WindowPrefs* prefs) = 0;

    // A window that says it closes from its destructor can no longer give its state.
    bool IsBeingDeleted() const { return mBeingDeleted; }

    // Broadcasts closingMessage with this interface's address, the one Preferences keeps; called when the
    // window is about to close. Only the first call broadcasts.
    void BroadcastWindowClosing()
    {
        if (mClosingSent)
            return;
        mClosingSent = true;
        BroadcastMessage(closingMessage, this);
    }

protected:
    // Records the window's place and the sensors checked in its sensor pop-up. A sensor of the record the
    // window was restored from that is missing at this launch stays recorded, to come back with the sensor.
    void RecordPlaceAndSensors(const Rect& globalBounds, LBevelButton* sensorPopup, WindowPrefs& prefs) const
    {
        prefs.SetWindowRect(globalBounds);
        CopySensorNames(mRecordedSensors, *prefs.GetSensorNames());
        GetSensorMenuKeepingAbsent(sensorPopup, prefs.GetSensorNames());
    }
    // Checks the recorded sensors in the sensor pop-up, and keeps the record's list for the next save.
    void RestoreSensors(LBevelButton* sensorPopup, WindowPrefs& prefs)
    {
        SetSensorMenu(sensorPopup, prefs.GetSensorNames());
        CopySensorNames(*prefs.GetSensorNames(), mRecordedSensors);
    }
    // The sensor pop-up offers names, the sensors of now: those that joined while the program runs come in,
    // and one the window was recorded with is checked again.
    void RenewSensorPopup(LBevelButton* sensorPopup, const std::vector<std::string>& names)
    {
        SensorNameList wanted;
        CopySensorNames(mRecordedSensors, wanted);
        GetSensorMenuKeepingAbsent(sensorPopup, &wanted);
        RenewSensorMenu(sensorPopup, names, &wanted);
    }

private:
    SensorNameList mRecordedSensors;
    bool mClosingSent = false;
    bool mBeingDeleted = false;
};

constexpr MessageT msg_DataWindowClosing = FourCC("DatR");
constexpr MessageT msg_GraphWindowClosing = FourCC("GrfR");
using RecordedDataWindow = RecordedWindow<DataWindowPrefs, msg_DataWindowClosing>;
using RecordedGraphWindow = RecordedWindow<GraphWindowPrefs, msg_GraphWindowClosing>;
