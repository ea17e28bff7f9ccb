// The kernel's per-processor temperature call: one reading in whole degrees Celsius per processor,
// -1 for a processor without a reading.
#pragma once

#include "platform/SensorSource.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
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

    // The number of processors, 0 when the call fails; a source that can count without reading overrides it.
    virtual int32_t Count()
    {
        std::vector<int32_t> readings;
        return Read(readings) ? static_cast<int32_t>(readings.size()) : 0;
    }

    // Processor p's reading now, in whole degrees, on a worker thread; one call per processor at a time.
    virtual SourceReading ReadProcessor(int32_t processor)
    {
        std::vector<int32_t> readings;
        if (!Read(readings) || processor < 0 || static_cast<size_t>(processor) >= readings.size()
            || readings[static_cast<size_t>(processor)] == -1)
            return SourceReading::Failure();
        return SourceReading::Of(readings[static_cast<size_t>(processor)]);
    }

    // Processor p's own high limit in whole degrees, where its hardware reports one; read at discovery.
    virtual std::optional<int32_t> HighLimit(int32_t) { return std::nullopt; }
    // The id that names processor p's package at every boot.
    virtual int64_t PackageID(int32_t processor) { return processor; }
    // Where processor p's reading comes from, as a hardware monitor names it: the chip's resolved device path
    // below /sys and the channel's file name; empty where no channel stands for it.
    struct Channel {
        std::string devicePath;
        std::string channel;
    };
    virtual Channel ChannelOf(int32_t) { return {}; }
};
