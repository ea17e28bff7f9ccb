// An SMC temperature sensor. The SMC answers one request at a time (a key's index is written, then its
// value read), so its sensors take turns.
#pragma once

#include "platform/SensorSource.h"

#include <cstdint>

class SMCSource : public SensorSource {
public:
    explicit SMCSource(int32_t sensor)
        : mSensor(sensor)
    {
    }

    SourceReading Read() override;

private:
    int32_t mSensor;
};
