// Keeps Kelvara within the user's reach: when the desktop's tray goes away while no window is open, a
// running monitor would be invisible, so the application is asked for a window.
#pragma once

#include "framework/LPeriodical.h"

class ReachabilityWatch : public LPeriodical {
public:
    static constexpr double kCheckSeconds = 3.0;

    // Starts watching.
    ReachabilityWatch();
    ~ReachabilityWatch() override;

    void SpendTime(const EventRecord& event) override;
};
