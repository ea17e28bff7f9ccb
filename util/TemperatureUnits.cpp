#include "util/TemperatureUnits.h"

#include "prefs/Preferences.h"

#include <cstdio>
#include <limits>

namespace {

// Truncates toward zero; values beyond the 32-bit range stop at its ends, as the conversion instruction of
// the machines the scale was first computed on did, instead of being undefined.
int32_t TruncateSaturated(float value)
{
    if (value != value)
        return 0;
    if (value >= 2147483648.0f)
        return std::numeric_limits<int32_t>::max();
    if (value < -2147483648.0f)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}

int32_t ConvertCToScale(int32_t celsius, int16_t scale)
{
    switch (scale) {
    case kScaleFahrenheit:
        // Single precision with the float nearest 1.8, truncated toward zero, as the scale has always
        // been computed; for every temperature a sensor reports this equals c * 9 / 5 + 32 truncated.
        return TruncateSaturated(static_cast<float>(celsius) * 1.8f + 32.0f);
    case kScaleKelvin:
        // Wraps rather than overflows at the very top of the range.
        return static_cast<int32_t>(static_cast<uint32_t>(celsius) + 273u);
    default:
        return celsius;
    }
}

int32_t ConvertCToScale(int32_t celsius)
{
    return ConvertCToScale(celsius, Preferences::Get()->GetTemperatureScale());
}

int FormatScaledTemperatureAsString(int32_t value, int16_t scale, char* out)
{
    switch (scale) {
    case kScaleCelsius:
        return std::snprintf(out, kScaledTemperatureTextSize, "%dC", value);
    case kScaleFahrenheit:
        return std::snprintf(out, kScaledTemperatureTextSize, "%d\u00B0F", value);
    case kScaleKelvin:
        return std::snprintf(out, kScaledTemperatureTextSize, "%dK", value);
    default:
        return std::snprintf(out, kScaledTemperatureTextSize, "0x%x", static_cast<unsigned>(value));
    }
}

int FormatScaledTemperatureAsString(int32_t value, char* out)
{
    return FormatScaledTemperatureAsString(value, Preferences::Get()->GetTemperatureScale(), out);
}
