// The date: seconds since midnight, 1 January 1904, local time, as an unsigned 32-bit number; and the
// wall clock's own seconds since 1970, by which the history's samples are dated.
#pragma once

#include <cstdint>
#include <ctime>

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t GetDateTime() = 0;
    // Seconds since 1970 UTC. Unlike the timers, which run on the monotonic clock and stop while the
    // machine is suspended, this runs on through a suspend (and jumps when the clock is set).
    virtual int64_t GetUnixTime() = 0;
};

class LinuxClock : public Clock {
public:
    uint32_t GetDateTime() override;
    int64_t GetUnixTime() override;
    // Unix time plus the seconds from 1904 to 1970 plus the local offset from UTC, wrapped to 32 bits.
    static uint32_t DateTimeFromUnix(int64_t unixSeconds, int64_t utcOffsetSeconds);
};
