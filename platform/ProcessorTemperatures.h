// The kernel's per-processor temperature call: one reading in whole degrees Celsius per processor,
// -1 for a processor without a reading.
#pragma once

#include <cstdint>
#include <vector>

class ProcessorTemperatures {
public:
    virtual ~ProcessorTemperatures() = default;

    // False when the call fails; otherwise one value per processor.
    virtual bool Read(std::vector<int32_t>& outReadings) = 0;
};

class FixtureProcessorTemperatures : public ProcessorTemperatures {
public:
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
        return true;
    }

private:
    std::vector<int32_t> mReadings;
    bool mFails;
};
