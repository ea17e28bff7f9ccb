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

class FixtureClock : public Clock {
public:
    explicit FixtureClock(uint32_t now = 0)
        : mNow(now)
    {
    }
    void Set(uint32_t now) { mNow = now; }
    void Advance(uint32_t seconds) { mNow += seconds; }
    // A clock that moves on by this much after every reading, as a real one may between two readings.
    void SetTickPerReading(uint32_t seconds) { mTick = seconds; }
    uint32_t GetDateTime() override
    {
        uint32_t now = mNow;
        mNow += mTick;
        return now;
    }

private:
    uint32_t mNow;
    uint32_t mTick = 0;
};
