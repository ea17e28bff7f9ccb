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

class FixtureProcessorTemperatures : public ProcessorTemperatures {
public:
    // A reading that stands for a processor whose sensor is there but cannot be read now: reported as -1.
    static constexpr int32_t kUnreadable = INT32_MIN;

    explicit FixtureProcessorTemperatures(std::vector<int32_t> readings = {}, bool fails = false)
        : mReadings(std::move(readings))
        , mFails(fails)
    {
    }

    void SetReadings(std::vector<int32_t> readings) { mReadings = std::move(readings); }
    void SetFails(bool fails) { mFails = fails; }

    bool Read(std::vector<int32_t>& outReadings) override
    {
        if (mFails)
            return false;
        outReadings = mReadings;
        for (int32_t& reading : outReadings) {
            if (reading == kUnreadable)
                reading = -1;
        }
        return true;
    }

    bool HasTemperatureSensor(int32_t processor) override
    {
        return !mFails && processor >= 0 && static_cast<size_t>(processor) < mReadings.size()
            && mReadings[static_cast<size_t>(processor)] != -1;
    }

private:
    std::vector<int32_t> mReadings;
    bool mFails;
};
