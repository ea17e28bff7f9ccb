#include "sensors/LimitAlarm.h"

bool LimitAlarm::Note(double celsius, double limitCelsius)
{
    mAtLimit = celsius >= limitCelsius;
    if (celsius <= limitCelsius - kRearmCelsius)
        mArmed = true;
    if (!mAtLimit || !mArmed)
        return false;
    mArmed = false;
    return true;
}
