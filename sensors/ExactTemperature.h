// Temperatures in degrees Celsius with all the precision of the raw reading (a hardware monitor's 16.16
// fixed point keeps its fraction), for the limits and for the history written out as text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The raw reading of a sensor of the given type in degrees Celsius, without rounding or caps.
double ConvertRawToExactCelsius(int32_t type, int32_t raw);

// The same as text: the shortest decimal that gives back the raw reading (for 16.16, v x 65536 rounded is
// raw again), so that nothing recorded is lost and a hardware monitor's millidegrees read as the kernel
// gave them ("45.125", "38.85", "-5"). Always with a point, never a comma, whatever the locale.
std::string FormatExactCelsius(int32_t type, int32_t raw);

// The type of the sensor that the program names name: the processor packages ("CPU temperature", "CPU 2
// temperature"), the SMC's "Thermal Sensor N", the CPU thermal driver's two names, and hardware monitor
// channels ("<chip> <label>") for every other name.
int32_t SensorTypeOfName(std::string_view name);
