// How a graph of the long-term history names times: the labels of its time axis, and the time of a column
// in words and on the clock.
#pragma once

#include <cstdint>
#include <string>

namespace GraphTimeTexts {

// A mark on the time axis, in whole minutes before now: "now", "15m ago", "2h ago", "2h 15m ago".
std::string AxisLabel(int32_t minutesAgo);

// A time before now in words, to the minute: "now", "15 min ago", "2 h ago", "2 h 15 min ago".
std::string TimeAgo(int64_t secondsAgo);

// The clock time of a date (seconds since 1904, local time): "14:05" on the day of now, with the day of the
// week before it on an earlier day ("Mon 14:05").
std::string ClockTime(uint32_t dateTime, uint32_t now);

}
