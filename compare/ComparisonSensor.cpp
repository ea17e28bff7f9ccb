#include "compare/ComparisonSensor.h"

#include "compare/ComparisonTokens.h"
#include "framework/LException.h"

#include <algorithm>
#include <cstring>

using namespace ComparisonTokens;

namespace {

constexpr int32_t kReadingsAllocation = 10;

}

ComparisonSensor::ComparisonSensor(const char* const* tokens)
    : mMinimums(kReadingsAllocation)
    , mMaximums(kReadingsAllocation)
{
    CopyField(mName, sizeof mName, ThrowIfNil_(tokens[0]));
    int32_t at = 1;
    for (; !Is(tokens[at], kDataEnd); ++at) {
        int32_t celsius = FahrenheitToCelsius(LeadingInteger(tokens[at]));
        mMinimums.AddItem(celsius);
        mSensorMinimum = std::min(mSensorMinimum, celsius);
    }
    for (++at; !Is(tokens[at], kDataEnd); ++at) {
        int32_t celsius = FahrenheitToCelsius(LeadingInteger(tokens[at]));
        mMaximums.AddItem(celsius);
        mSensorMaximum = std::max(mSensorMaximum, celsius);
    }
    mElementsAdded = at + 1;
    Assert_(mMinimums.GetCount() == mMaximums.GetCount());
}

ComparisonSensor::~ComparisonSensor() = default;

char* ComparisonSensor::GetSensorName(char* out) const
{
    std::strcpy(out, mName);
    return out;
}

void ComparisonSensor::GetTempC(int32_t index, int32_t& minimum, int32_t& maximum) const
{
    if (index < 1 || index > GetDataCount())
        return;
    minimum = mMinimums[index];
    maximum = mMaximums[index];
}

void ComparisonSensor::GetSensorMinMaxC(int32_t& minimum, int32_t& maximum) const
{
    minimum = mSensorMinimum;
    maximum = mSensorMaximum;
}
