// One sensor of a machine model in the comparison database: its name and, per submitted measurement, the
// lowest and highest temperature recorded, in whole degrees Celsius.
#pragma once

#include "framework/LArray.h"

#include <cstdint>

class ComparisonSensor {
public:
    static constexpr int kNameSize = 256;

    // Reads the sensor group that starts with the name token: the minimum readings up to "DATAEND", then
    // as many maximum readings up to the next "DATAEND". Throws asrt when the two counts differ.
    explicit ComparisonSensor(const char* const* tokens);
    virtual ~ComparisonSensor();

    ComparisonSensor(const ComparisonSensor&) = delete;
    ComparisonSensor& operator=(const ComparisonSensor&) = delete;

    // Copies the name into out, which holds at least kNameSize bytes, and returns out.
    char* GetSensorName(char* out) const;
    int32_t GetDataCount() const { return mMinimums.GetCount(); }
    // Data point index (from 1): the measurement's minimum and maximum. An index outside 1 to the count
    // leaves both unchanged.
    void GetTempC(int32_t index, int32_t& minimum, int32_t& maximum) const;
    // The lowest minimum, never above 100, and the highest maximum, never below 0.
    void GetSensorMinMaxC(int32_t& minimum, int32_t& maximum) const;
    // The tokens the group took, its name and both "DATAEND" tokens included.
    int32_t GetElementsAdded() const { return mElementsAdded; }

private:
    char mName[kNameSize] = {};
    TArray<int32_t> mMinimums;
    TArray<int32_t> mMaximums;
    int32_t mElementsAdded = 0;
    int32_t mSensorMinimum = 100;
    int32_t mSensorMaximum = 0;
};
