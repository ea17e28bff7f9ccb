#include "display/GraphTimeTexts.h"

#include <cstdio>

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// 1 January 1904 was a Friday.
constexpr const char* kWeekdays[] = { "Fri", "Sat", "Sun", "Mon", "Tue", "Wed", "Thu" };

}

std::string GraphTimeTexts::AxisLabel(int32_t minutesAgo)
{
    char text[48];
    int hours = minutesAgo / 60;
    int minutes = minutesAgo % 60;
    if (minutesAgo <= 0)
        return "now";
    if (minutes == 0)
        std::snprintf(text, sizeof text, "%dh ago", hours);
    else if (hours == 0)
        std::snprintf(text, sizeof text, "%dm ago", minutes);
    else
        std::snprintf(text, sizeof text, "%dh %dm ago", hours, minutes);
    return text;
}

std::string GraphTimeTexts::TimeAgo(int64_t secondsAgo)
{
    int64_t minutesAgo = secondsAgo / 60;
    long long hours = minutesAgo / 60;
    long long minutes = minutesAgo % 60;
    char text[64];
    if (minutesAgo <= 0)
        return "now";
    if (hours == 0)
        std::snprintf(text, sizeof text, "%lld min ago", minutes);
    else if (minutes == 0)
        std::snprintf(text, sizeof text, "%lld h ago", hours);
    else
        std::snprintf(text, sizeof text, "%lld h %lld min ago", hours, minutes);
    return text;
}

std::string GraphTimeTexts::ClockTime(uint32_t dateTime, uint32_t now)
{
    int64_t day = dateTime / kSecondsPerDay;
    int64_t secondOfDay = dateTime % kSecondsPerDay;
    char text[32];
    int hour = static_cast<int>(secondOfDay / 3600);
    int minute = static_cast<int>(secondOfDay / 60 % 60);
    if (day == now / kSecondsPerDay)
        std::snprintf(text, sizeof text, "%02d:%02d", hour, minute);
    else
        std::snprintf(text, sizeof text, "%s %02d:%02d", kWeekdays[day % 7], hour, minute);
    return text;
}
