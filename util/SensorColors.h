// Drawing in a sensor's colour, as the preferences hold it.
#pragma once

#include "framework/QuickDrawTypes.h"

#include <cstdint>

class CGContext;

// Sensor indices 1 to 12 draw in the colour at position index - 1 of the preferences' table. A machine of
// today has more sensors than that: indices from 13 on draw in a fixed extension of the palette, whose
// colours differ from the twelve the preferences start with and from each other, so that every line and
// legend entry can be told apart. Sensor indices start at 1: an index of 0 or less names no sensor and
// throws asrt, changing no colour.
RGBColor GetSensorIndexColor(int32_t sensorIndex);

// The colour of sensor index 13 and later; the same at every launch.
RGBColor ExtendedSensorColor(int32_t sensorIndex);

// Makes the colour the fore colour of the current QuickDraw port; throws nilP when there is no port.
void SwitchColor(int32_t sensorIndex);
void SwitchContextStrokeColor(CGContext* context, int32_t sensorIndex);
void SwitchContextFillColor(CGContext* context, int32_t sensorIndex);
