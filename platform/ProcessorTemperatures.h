// The kernel's per-processor temperature call: one reading in whole degrees Celsius per processor,
// -1 for a processor without a reading.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

class ProcessorTemperatures {
public:
    virtual ~ProcessorTemperatures() = default;

    // False when the call fails; otherwise one value per processor.
    virtual bool Read(std::vector<int32_t>& outReadings) = 0;

    // Whether the processor has a temperature sensor at all, even one that gives no reading at this moment
    // (a driver that is not ready yet, a read that failed). By default: whether it reads.
    virtual bool HasTemperatureSensor(int32_t processor)
    {
        std::vector<int32_t> readings;
        return Read(readings) && processor >= 0 && static_cast<size_t>(processor) < readings.size()
            && readings[static_cast<size_t>(processor)] != -1;
    }
};
