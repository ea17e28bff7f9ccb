// Writes the preferences every 10 minutes while the program runs, as the sensors write their data files,
// so that a crash or a power cut keeps the settings and the open windows of the run, a first run's too.
#pragma once

#include "framework/LPeriodical.h"

#include <functional>

class LException;

class PreferencesCheckpoint : public LPeriodical {
public:
    static constexpr double kIntervalSeconds = 600.0;
    using FailureHandler = std::function<void(const LException& error)>;

    // Starts the 10-minute timer; the preferences must have been read. onFailure hears of every save that
    // fails (a full disk), after the message on standard error.
    explicit PreferencesCheckpoint(FailureHandler onFailure = {});

    // Saves the preferences (atomically, as at quit); a failure is reported and the next one tries again.
    void SpendTime(const EventRecord& event) override;

private:
    FailureHandler mOnFailure;
};
