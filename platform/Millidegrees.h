// Conversions of hwmon temperatures (millidegrees Celsius) into the fixed-point forms the program reads.
#pragma once

#include <cstdint>
#include <optional>

namespace Millidegrees {

// -273150 and below is what drivers report for "no reading", not a temperature.
constexpr int64_t kNoReading = -273150;
// No part of a computer reads outside -100 to 300 C: a value beyond is a driver's or a bus's garbage
// (1e12 m°C has been seen), and taken as a reading it would spoil the sensor's range for good.
constexpr int64_t kLowestReading = -100000;
constexpr int64_t kHighestReading = 300000;

// The value when it is a plausible reading, from -100 to 300 C; nullopt for anything else, the no-reading
// sentinel included.
std::optional<int64_t> Reading(std::optional<int64_t> millidegrees);
// 16.16 fixed point, round(m * 65536 / 1000), clamped to the signed 32-bit range.
int32_t ToFixed16(int64_t millidegrees);
// Whole degrees, rounded to nearest with halves away from zero (45500 gives 46, -45500 gives -46).
int32_t ToWholeDegrees(int64_t millidegrees);
// Signed 8.8 fixed point ("sp78"), round(m * 256 / 1000), clamped to the signed 16-bit range.
int16_t ToSP78(int64_t millidegrees);

}
