#include "util/SensorColors.h"

#include "framework/CGContext.h"
#include "framework/LException.h"
#include "framework/QDPort.h"
#include "prefs/Preferences.h"

namespace {

RGBColor SensorColor(int32_t sensorIndex)
{
    Assert_(sensorIndex >= 1);
    RGBColor color;
    Preferences::Get()->GetSensorColor((sensorIndex - 1) % Preferences::kSensorColorCount, color);
    return color;
}

CGFloat Fraction(uint16_t channel)
{
    return static_cast<float>(channel) / 65535.0f;
}

}

void SwitchColor(int32_t sensorIndex)
{
    RGBColor color = SensorColor(sensorIndex);
    ThrowIfNil_(QDPort::GetCurrentPort())->RGBForeColor(color);
}

void SwitchContextStrokeColor(CGContext* context, int32_t sensorIndex)
{
    ThrowIfNil_(context);
    RGBColor color = SensorColor(sensorIndex);
    context->SetRGBStrokeColor(Fraction(color.red), Fraction(color.green), Fraction(color.blue), 1.0);
}

void SwitchContextFillColor(CGContext* context, int32_t sensorIndex)
{
    ThrowIfNil_(context);
    RGBColor color = SensorColor(sensorIndex);
    context->SetRGBFillColor(Fraction(color.red), Fraction(color.green), Fraction(color.blue), 1.0);
}
