// The date: seconds since midnight, 1 January 1904, local time, as an unsigned 32-bit number.
#pragma once

#include <cstdint>
#include <ctime>

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t GetDateTime() = 0;
};

class LinuxClock : public Clock {
public:
    uint32_t GetDateTime() override;
    // Unix time plus the seconds from 1904 to 1970 plus the local offset from UTC, wrapped to 32 bits.
    static uint32_t DateTimeFromUnix(int64_t unixSeconds, int64_t utcOffsetSeconds);
};
