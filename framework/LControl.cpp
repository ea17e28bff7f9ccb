#include "framework/LControl.h"

#include <algorithm>

LControl::LControl(const SPaneInfo& info, QWidget* widget, int32_t value, int32_t minValue, int32_t maxValue)
    : LPane(info, widget)
    , mValue(std::clamp(value, minValue, std::max(minValue, maxValue)))
    , mMinValue(minValue)
    , mMaxValue(std::max(minValue, maxValue))
    , mValueMessage(info.paneID)
{
}

void LControl::SetValue(int32_t value)
{
    value = std::clamp(value, mMinValue, mMaxValue);
    if (value == mValue)
        return;
    mValue = value;
    ShowValue();
    BroadcastMessage(mValueMessage, &mValue);
}

void LControl::SetValueRange(int32_t minValue, int32_t maxValue)
{
    mMinValue = minValue;
    mMaxValue = std::max(minValue, maxValue);
    mValue = std::clamp(mValue, mMinValue, mMaxValue);
    ShowValue();
}
