// Per-processor readings for tests, set by hand (also while worker threads read them), including a processor
// whose sensor cannot be read and the packages' own limits.
#pragma once

#include "platform/ProcessorTemperatures.h"

#include <climits>
#include <cstdint>
#include <mutex>
#include <optional>
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

    void SetReadings(std::vector<int32_t> readings)
    {
        std::lock_guard lock(mMutex);
        mReadings = std::move(readings);
    }
    void SetFails(bool fails)
    {
        std::lock_guard lock(mMutex);
        mFails = fails;
    }
    void SetHighLimits(std::vector<std::optional<int32_t>> limits)
    {
        std::lock_guard lock(mMutex);
        mLimits = std::move(limits);
    }

    bool Read(std::vector<int32_t>& outReadings) override
    {
        std::lock_guard lock(mMutex);
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
        std::lock_guard lock(mMutex);
        return !mFails && processor >= 0 && static_cast<size_t>(processor) < mReadings.size()
            && mReadings[static_cast<size_t>(processor)] != -1;
    }

    std::optional<int32_t> HighLimit(int32_t processor) override
    {
        std::lock_guard lock(mMutex);
        if (processor < 0 || static_cast<size_t>(processor) >= mLimits.size())
            return std::nullopt;
        return mLimits[static_cast<size_t>(processor)];
    }

private:
    std::mutex mMutex;
    std::vector<int32_t> mReadings;
    std::vector<std::optional<int32_t>> mLimits;
    bool mFails;
};
