// Small utilities several subsystems share: linear mapping, the model identifier, the processor count.
#pragma once

#include "framework/PString.h"

#include <cstdint>

// Maps value linearly from fromLow..fromHigh onto toLow..toHigh, rounding halves away from zero;
// values outside the source range extrapolate. An empty source range gives toLow.
int32_t SharedUtils_MapFromTo(int32_t value, int32_t fromLow, int32_t fromHigh, int32_t toLow, int32_t toHigh);

// Writes the machine's model identifier (at most 127 characters) as a length-prefixed string; an empty
// string when it cannot be read. Returns 0 in every case; a null out does nothing.
int SharedUtils_GetMacName(Str255* out);

// The number of processors, 0 when it is not available.
uint32_t SharedUtils_ProcessorCount();
