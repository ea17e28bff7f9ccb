// The times of a long-term history that holds one sample a minute of running time: the newest is now, each
// older one a minute earlier (time that Kelvara did not run is not counted).
#pragma once

#include "display/SampleTimes.h"

class MinuteSampleTimes : public SampleTimes {
public:
    int64_t SecondsAgo(const TemperatureSensor& sensor, int32_t position) const override;

    // The one the graphs use until a history says otherwise; it holds no state.
    static const MinuteSampleTimes& Shared();
};
