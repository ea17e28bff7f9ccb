// Where the metrics come from: the owner of the sensors hands over their newest readings, on the thread
// that serves the metrics, without reading any hardware.
#pragma once

#include "metrics/MetricsSample.h"

#include <vector>

class MetricsReadings {
public:
    virtual ~MetricsReadings() = default;
    // Every sensor, in the order the program lists them.
    virtual std::vector<MetricsSample> NewestReadings() const = 0;
};
