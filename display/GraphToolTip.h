// What hovering over a graph of the long-term history shows: the time of the column, before now and on the
// clock, and each plotted sensor's value then, in its colour, the hottest first.
#pragma once

#include "framework/LArray.h"
#include "framework/QuickDrawTypes.h"

#include <cstdint>
#include <string>

class SampleTimes;
class TemperatureSensor;

class GraphToolTip {
public:
    // Rich text for a time secondsAgo before now (a date, seconds since 1904 local time), the colours kept
    // legible on the tool tip's background. A sensor whose history has no sample then is left out.
    static std::string Text(const TArray<TemperatureSensor*>& sensors, const SampleTimes& times, int64_t secondsAgo,
        uint32_t now, const RGBColor& background);

    // The position in the sensor's long-term history of the sample nearest to secondsAgo, or -1 when the
    // history has none within a minute of it.
    static int32_t PositionNear(TemperatureSensor& sensor, const SampleTimes& times, int64_t secondsAgo);
};
