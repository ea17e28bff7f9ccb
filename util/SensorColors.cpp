#include "util/SensorColors.h"

#include "framework/CGContext.h"
#include "framework/LException.h"
#include "framework/QDPort.h"
#include "prefs/Preferences.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Hand-picked for sensors 13 to 28: hues and shades that the preferences' table does not use, all dark
// enough to stand out on the plots' light grey. Given as 8-bit channels.
constexpr std::array<std::array<uint8_t, 3>, 16> kExtendedPalette { {
    { 204, 0, 204 }, // magenta
    { 0, 150, 220 }, // sky blue
    { 139, 69, 19 }, // brown
    { 230, 60, 140 }, // pink
    { 75, 0, 130 }, // indigo
    { 80, 80, 80 }, // dark grey
    { 0, 170, 120 }, // sea green
    { 190, 150, 0 }, // ochre
    { 240, 90, 60 }, // coral
    { 90, 90, 230 }, // periwinkle
    { 0, 90, 50 }, // forest green
    { 150, 90, 230 }, // lavender
    { 120, 40, 40 }, // maroon
    { 0, 110, 140 }, // petrol
    { 160, 110, 60 }, // tan
    { 220, 0, 90 }, // crimson
} };

// Past the hand-picked ones: hues a golden angle apart, so that no two come close however many there are,
// each a little darker or lighter than the one before.
RGBColor GeneratedColor(int32_t n)
{
    constexpr double kGoldenAngle = 137.50776405003785;
    constexpr double kValues[] = { 0.78, 0.56, 0.9 };
    double hue = std::fmod(20.0 + n * kGoldenAngle, 360.0) / 60.0;
    double value = kValues[n % 3];
    double saturation = 0.85;
    double chroma = value * saturation;
    double x = chroma * (1.0 - std::fabs(std::fmod(hue, 2.0) - 1.0));
    double m = value - chroma;
    const double sectors[6][3] = { { chroma, x, 0 }, { x, chroma, 0 }, { 0, chroma, x }, { 0, x, chroma },
        { x, 0, chroma }, { chroma, 0, x } };
    const double* rgb = sectors[std::min(5, static_cast<int>(hue))];
    auto channel = [m](double c) { return static_cast<uint16_t>(std::lround((c + m) * 65535.0)); };
    return RGBColor { channel(rgb[0]), channel(rgb[1]), channel(rgb[2]) };
}

RGBColor SensorColor(int32_t sensorIndex)
{
    return GetSensorIndexColor(sensorIndex);
}

CGFloat Fraction(uint16_t channel)
{
    return static_cast<float>(channel) / 65535.0f;
}

}

RGBColor ExtendedSensorColor(int32_t sensorIndex)
{
    Assert_(sensorIndex > Preferences::kSensorColorCount);
    int32_t n = sensorIndex - Preferences::kSensorColorCount - 1;
    if (n < static_cast<int32_t>(kExtendedPalette.size())) {
        const auto& rgb = kExtendedPalette[static_cast<size_t>(n)];
        return RGBColor { static_cast<uint16_t>(rgb[0] * 257), static_cast<uint16_t>(rgb[1] * 257),
            static_cast<uint16_t>(rgb[2] * 257) };
    }
    return GeneratedColor(n - static_cast<int32_t>(kExtendedPalette.size()));
}

RGBColor GetSensorIndexColor(int32_t sensorIndex)
{
    Assert_(sensorIndex >= 1);
    if (sensorIndex > Preferences::kSensorColorCount)
        return ExtendedSensorColor(sensorIndex);
    RGBColor color;
    Preferences::Get()->GetSensorColor(sensorIndex - 1, color);
    return color;
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
