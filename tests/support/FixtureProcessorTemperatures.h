// Per-processor readings for tests, set by hand, including a processor whose sensor cannot be read.
#pragma once

#include "platform/ProcessorTemperatures.h"

#include <climits>
#include <cstdint>
#include <vector>

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
