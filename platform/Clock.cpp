#include "platform/Clock.h"

namespace {
constexpr int64_t kSecondsFrom1904To1970 = 2082844800;
}

uint32_t LinuxClock::DateTimeFromUnix(int64_t unixSeconds, int64_t utcOffsetSeconds)
{
    return static_cast<uint32_t>(static_cast<uint64_t>(unixSeconds + kSecondsFrom1904To1970 + utcOffsetSeconds));
}

uint32_t LinuxClock::GetDateTime()
{
    std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    return DateTimeFromUnix(now, local.tm_gmtoff);
}

int64_t LinuxClock::GetUnixTime()
{
    return static_cast<int64_t>(std::time(nullptr));
}
