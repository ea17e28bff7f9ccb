// Keeps Kelvara within the user's reach: when the desktop's tray goes away while no window is open, a
// running monitor would be invisible, so the application is asked for a window. It looks with every sample
// rather than on a timer of its own: the samples already wake the program every 5 seconds.
#pragma once

#include "framework/LListener.h"

class SensorMaster;

class ReachabilityWatch : public LListener {
public:
    // Starts watching the samples of sensors.
    explicit ReachabilityWatch(SensorMaster& sensors);

    // msg_SamplesRecorded: looks for the tray and for an open window.
    void ListenToMessage(MessageT message, void* parameter) override;
};
