// A pane with a value that the user changes: it broadcasts its value message (by default its pane ID)
// with a pointer to the new value (int32_t) whenever the value changes.
#pragma once

#include "framework/LBroadcaster.h"
#include "framework/LPane.h"

#include <cstdint>

class LControl : public LPane, public LBroadcaster {
public:
    // The value is held within min and max; the widget (taken by the pane) shows it.
    LControl(const SPaneInfo& info, QWidget* widget, int32_t value, int32_t minValue, int32_t maxValue);

    int32_t GetValue() const { return mValue; }
    // Values outside min to max are brought to the nearer end. Only a change is broadcast.
    virtual void SetValue(int32_t value);
    int32_t GetMinValue() const { return mMinValue; }
    int32_t GetMaxValue() const { return mMaxValue; }

    MessageT GetValueMessage() const { return mValueMessage; }
    void SetValueMessage(MessageT message) { mValueMessage = message; }

protected:
    // The range changes (a pop-up's items); the value is brought into it without a broadcast.
    void SetValueRange(int32_t minValue, int32_t maxValue);
    // Lets the widget show the value; called after every change of it.
    virtual void ShowValue() { }

private:
    int32_t mValue;
    int32_t mMinValue;
    int32_t mMaxValue;
    MessageT mValueMessage;
};
