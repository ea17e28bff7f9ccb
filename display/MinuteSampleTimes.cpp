#include "display/MinuteSampleTimes.h"

namespace {

constexpr int64_t kSecondsPerSample = 60;

}

int64_t MinuteSampleTimes::SecondsAgo(const TemperatureSensor&, int32_t position) const
{
    return kSecondsPerSample * position;
}

const MinuteSampleTimes& MinuteSampleTimes::Shared()
{
    static const MinuteSampleTimes times;
    return times;
}
