// Drawing in a sensor's colour, as the preferences hold it.
#pragma once

#include <cstdint>

class CGContext;

// Sensor index i draws in the colour at position (i - 1) modulo 12 of the preferences' table, so that a
// machine with more than twelve sensors draws every one of them; indices 13 to 24 repeat the colours of
// 1 to 12. Sensor indices start at 1: an index of 0 or less names no sensor and throws asrt, changing no
// colour.

// Makes the colour the fore colour of the current QuickDraw port; throws nilP when there is no port.
void SwitchColor(int32_t sensorIndex);
void SwitchContextStrokeColor(CGContext* context, int32_t sensorIndex);
void SwitchContextFillColor(CGContext* context, int32_t sensorIndex);
