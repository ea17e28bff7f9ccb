// One stored sample: a raw reading in the unit of its sensor's type. Samples live by value in their
// history's block, four bytes each.
#pragma once

#include <cstdint>

class TempElement {
public:
    explicit TempElement(int32_t rawTemperature = 0)
        : mRawTemperature(rawTemperature)
    {
    }

    int32_t GetRawTemperature() const { return mRawTemperature; }

private:
    int32_t mRawTemperature;
};
