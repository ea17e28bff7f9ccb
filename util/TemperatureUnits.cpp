#include "util/TemperatureUnits.h"

#include "prefs/Preferences.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>
#include <string_view>

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
    // Every second a data window formats dozens of these: digits by hand rather than through printf.
    std::string_view suffix;
    switch (scale) {
    case kScaleCelsius:
        suffix = "C";
        break;
    case kScaleFahrenheit:
        suffix = "\u00B0F";
        break;
    case kScaleKelvin:
        suffix = "K";
        break;
    default:
        return std::snprintf(out, kScaledTemperatureTextSize, "0x%x", static_cast<unsigned>(value));
    }
    // The longest, "-2147483648" and a degree sign, leaves room for the terminator.
    char* end = std::to_chars(out, out + kScaledTemperatureTextSize - 1, value).ptr;
    end = std::copy(suffix.begin(), suffix.end(), end);
    *end = '\0';
    return static_cast<int>(end - out);
}

int FormatScaledTemperatureAsString(int32_t value, char* out)
{
    return FormatScaledTemperatureAsString(value, Preferences::Get()->GetTemperatureScale(), out);
}
