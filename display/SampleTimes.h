// When each long-term sample of a sensor was taken, for placing it on a graph's time axis and naming its
// time: the graph asks this alone, so that a history that records the time of every sample changes what
// it answers, not the drawing.
#pragma once

#include <cstdint>

class TemperatureSensor;

class SampleTimes {
public:
    virtual ~SampleTimes() = default;

    // How many seconds before now sample `position` of the sensor's long-term history was taken (0 is the
    // newest); never fewer for a higher position.
    virtual int64_t SecondsAgo(const TemperatureSensor& sensor, int32_t position) const = 0;
};
