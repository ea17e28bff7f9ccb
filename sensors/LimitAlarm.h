// One sensor's watch over its high limit: the alarm is on while the reading is at or above the limit,
// and a crossing upward calls for one warning. After a warning the next one waits until the reading has
// been at least kRearmCelsius below the limit, so a reading that hovers at the limit does not warn again
// and again.
#pragma once

class LimitAlarm {
public:
    static constexpr double kRearmCelsius = 5.0;

    // Notes a reading; true when it is the crossing that calls for a warning.
    bool Note(double celsius, double limitCelsius);
    bool IsAtLimit() const { return mAtLimit; }

private:
    // A crossing now would warn: true at first, so that a sensor found at its limit at start-up warns too.
    bool mArmed = true;
    bool mAtLimit = false;
};
