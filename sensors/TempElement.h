// One stored sample: a raw reading in the unit of its sensor's type.
#pragma once

#include <cstdint>

class TempElement {
public:
    explicit TempElement(int32_t rawTemperature)
        : mRawTemperature(rawTemperature)
    {
    }
    virtual ~TempElement() = default;

    int32_t GetRawTemperature() const { return mRawTemperature; }

private:
    int32_t mRawTemperature;
};
