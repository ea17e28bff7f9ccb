// A clock for tests, set and moved on by hand. Its wall clock (GetUnixTime) moves with the date as time
// passes: a jump forward (a suspend) or back (a clock set back) moves both, while setting the date to one a
// test needs leaves the wall clock where it was.
#pragma once

#include "platform/Clock.h"

class FixtureClock : public Clock {
public:
    explicit FixtureClock(uint32_t now = 0)
        : mNow(now)
        , mStart(now)
    {
    }
    void Set(uint32_t now)
    {
        mUnixAtStart = GetUnixTime();
        mStart = now;
        mNow = now;
    }
    void Advance(uint32_t seconds) { mNow += seconds; }
    // Forward or back, by any number of seconds.
    void Jump(int64_t seconds) { mNow = static_cast<uint32_t>(mNow + static_cast<uint64_t>(seconds)); }
    // A clock that moves on by this much after every reading, as a real one may between two readings.
    void SetTickPerReading(uint32_t seconds) { mTick = seconds; }
    uint32_t GetDateTime() override
    {
        uint32_t now = mNow;
        mNow += mTick;
        return now;
    }
    // The wall clock reads unixNow at the date of now.
    void SetUnixTime(int64_t unixNow) { mUnixAtStart = unixNow - static_cast<int32_t>(mNow - mStart); }
    int64_t GetUnixTime() override { return mUnixAtStart + static_cast<int32_t>(mNow - mStart); }

private:
    uint32_t mNow;
    uint32_t mStart;
    uint32_t mTick = 0;
    // Real time at first, so that the data files a test writes are dated from about now.
    int64_t mUnixAtStart = static_cast<int64_t>(std::time(nullptr));
};
