// What the preferences need of a data window: its state as a record, and word when it closes.
#pragma once

#include "framework/FourCharCode.h"
#include "framework/LBroadcaster.h"

class DataWindowPrefs;

// Sent with the window (as a RecordedDataWindow*) as the parameter when the window closes.
constexpr MessageT msg_DataWindowClosing = FourCC("DatR");

// A data window derives from this in place of its LBroadcaster base; Preferences listens to it.
class RecordedDataWindow : public LBroadcaster {
public:
    RecordedDataWindow() = default;
    // A window that goes away without having said so says it now, so that the preferences never keep a
    // pointer to a window that no longer exists.
    ~RecordedDataWindow() override;

    // Fills prefs with the window's state, for the preferences file.
    virtual void GetWindowPrefs(DataWindowPrefs* prefs) = 0;
    // Puts the window into the state that prefs records.
    virtual void SetWindowPrefs(DataWindowPrefs* prefs) = 0;

    // Broadcasts msg_DataWindowClosing with this interface's address, the one Preferences keeps; called
    // when the window is about to close. Only the first call broadcasts.
    void BroadcastWindowClosing();

private:
    bool mClosingSent = false;
};
