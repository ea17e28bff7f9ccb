// The common temperature range of several sensors, for graphs that put them on one scale.
#pragma once

#include "framework/LArray.h"

#include <cstdint>

class TemperatureSensor;

// The lowest recorded minimum and the highest recorded maximum of the sensors, in whole degrees Celsius;
// both 0 for an empty list. A null entry throws nilP, leaving what was found before it in the results.
void GetMinMaxTemperaturesAsCelcius(
    const TArray<TemperatureSensor*>& sensors, int32_t& outMinimum, int32_t& outMaximum);
