// Converting whole degrees Celsius into the user's temperature scale, and formatting scaled values.
#pragma once

#include <cstddef>
#include <cstdint>

// Temperature scale codes, as the preferences keep them.
constexpr int16_t kScaleCelsius = 1;
constexpr int16_t kScaleFahrenheit = 2;
constexpr int16_t kScaleKelvin = 3;

// The value in the given scale: Fahrenheit truncated toward zero (and held within 32 bits), Kelvin as
// c + 273; any other scale code leaves the value in Celsius.
int32_t ConvertCToScale(int32_t celsius, int16_t scale);
// The same in the scale the preferences hold now.
int32_t ConvertCToScale(int32_t celsius);

// Longest text including the terminating zero.
constexpr size_t kScaledTemperatureTextSize = 16;

// "45C", "45°F" (UTF-8 degree sign), "316K"; an unknown scale code gives "0x2d". Returns the number of
// bytes written before the terminating zero.
int FormatScaledTemperatureAsString(int32_t value, int16_t scale, char* out);
int FormatScaledTemperatureAsString(int32_t value, char* out);
