// A clock for tests, set and moved on by hand.
#pragma once

#include "platform/Clock.h"

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
