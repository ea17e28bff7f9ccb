// What the preferences need of a graph window: its state as a record, and word when it closes.
#pragma once

#include "framework/FourCharCode.h"
#include "framework/LBroadcaster.h"

class GraphWindowPrefs;

// Sent with the window (as a RecordedGraphWindow*) as the parameter when the window closes.
constexpr MessageT msg_GraphWindowClosing = FourCC("GrfR");

// A graph window derives from this in place of its LBroadcaster base; Preferences listens to it.
class RecordedGraphWindow : public LBroadcaster {
public:
    RecordedGraphWindow() = default;
    // A window that goes away without having said so says it now, so that the preferences never keep a
    // pointer to a window that no longer exists.
    ~RecordedGraphWindow() override;

    // Fills prefs with the window's state, for the preferences file.
    virtual void GetWindowPrefs(GraphWindowPrefs* prefs) = 0;
    // Puts the window into the state that prefs records.
    virtual void SetWindowPrefs(GraphWindowPrefs* prefs) = 0;

    // Broadcasts msg_GraphWindowClosing with this interface's address, the one Preferences keeps; called
    // when the window is about to close. Only the first call broadcasts.
    void BroadcastWindowClosing();

private:
    bool mClosingSent = false;
};
