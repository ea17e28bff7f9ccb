#include "display/TimelineSampleTimes.h"

#include "platform/Clock.h"
#include "sensors/TemperatureSensor.h"

#include <algorithm>

TimelineSampleTimes::TimelineSampleTimes(Clock& clock)
    : mClock(clock)
{
}

int64_t TimelineSampleTimes::SecondsAgo(const TemperatureSensor& sensor, int32_t position) const
{
    const SampleTimeline& timeline = sensor.GetTimeline();
    const int64_t now = mClock.GetUnixTime();
    // Revisions differ between any two timelines, so a sensor deleted and another made at its address never
    // find each other's placement.
    if (mLastSensor != &sensor) {
        mLastPlaced = &mPlaced[&sensor];
        mLastSensor = &sensor;
    }
    Placed& placed = *mLastPlaced;
    if (placed.revision != timeline.Revision() || placed.now != now) {
        placed.revision = timeline.Revision();
        placed.now = now;
        placed.stretches = timeline.PlaceBefore(now);
    }
    const auto& stretches = placed.stretches;
    // Past the timeline's samples (none yet): a minute a sample on from its oldest.
    if (stretches.empty())
        return position * SampleTimeline::kSecondsPerSample;
    auto after = std::upper_bound(stretches.begin(), stretches.end(), position,
        [](int32_t wanted, const SampleTimeline::Placement& stretch) { return wanted < stretch.firstPosition; });
    if (after == stretches.begin())
        return 0;
    const SampleTimeline::Placement& stretch = *std::prev(after);
    return stretch.secondsAgo + (position - stretch.firstPosition) * SampleTimeline::kSecondsPerSample;
}
