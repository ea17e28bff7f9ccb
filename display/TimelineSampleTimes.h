// The times of a long-term history as its sensor's timeline records them: each sample as long before now
// as it was taken, so that a pause (a suspend, a night with Kelvara not running) lies between the samples
// before and after it.
#pragma once

#include "display/SampleTimes.h"
#include "sensors/SampleTimeline.h"

#include <unordered_map>
#include <vector>

class Clock;

class TimelineSampleTimes : public SampleTimes {
public:
    // Now is the clock's wall-clock time; the clock must outlive this.
    explicit TimelineSampleTimes(Clock& clock);

    int64_t SecondsAgo(const TemperatureSensor& sensor, int32_t position) const override;

private:
    // A sensor's stretches as placed at one moment: graphs ask for thousands of samples at a time.
    struct Placed {
        uint64_t revision = 0;
        int64_t now = 0;
        std::vector<SampleTimeline::Placement> stretches;
    };

    Clock& mClock;
    mutable std::unordered_map<const TemperatureSensor*, Placed> mPlaced;
    // The sensor asked for last and its placement: a drawing asks for one sensor's samples in a row, and a
    // lookup in the map for each would cost more than the rest of the drawing. The map's entries stay where
    // they are as it grows.
    mutable const TemperatureSensor* mLastSensor = nullptr;
    mutable Placed* mLastPlaced = nullptr;
};
