// Takes one sample of every sensor every 5 seconds, all at the same moment, from readings taken on worker
// threads. Each round's reads are handed to the threads as the round before closes, to start at the round's
// time, so that the event loop wakes once a round, when the reads are back. The sample is recorded then, or
// when the bound has passed: a read still out then leaves its sensor's last good value for this sample, and
// its result counts (for the newest reading and the range) whenever it comes. A source is never read twice
// at once, and the event loop never waits for a read.
#pragma once

#include "sensors/SensorMaster.h"

#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <memory>

class ReadingThreads;
class SensorSource;
class UThreadWakeup;

struct SamplingTimes {
    std::chrono::milliseconds interval { 5000 };
    // How long a sample waits for the reads.
    std::chrono::milliseconds readBound { 1000 };
    // Without a valid reading for this long, a source shows "n/a" and records nothing.
    std::chrono::milliseconds silence { 30000 };
};

class SensorSampler {
public:
    using Clock = std::chrono::steady_clock;

    // sensors must outlive the sampler and keep only sensors it may read; recorded is called on the event
    // loop after each sample of all of them.
    SensorSampler(SensorArray& sensors, std::function<void()> recorded, SamplingTimes times = {});
    // Stops; reads still out are left to finish on their own.
    ~SensorSampler();

    // The first round at once, then one every interval.
    void Start();
    // Drops the reads that have not started.
    void Stop();
    // A sample now: the round waiting for its time is read at once (an open one takes its sample first), and
    // recorded when its reads are back or the bound passes. The rounds go on every interval from now.
    void StartRound();
    // A round whose time has come waits for its reads (the next round waits for its time all along).
    bool IsRoundOpen() const { return mRoundOpen && Clock::now() >= mRoundDue; }
    // Work that goes with each round's reads, on the same threads after them (the look for new chips), so
    // that it wakes no thread of its own. companion gives an empty function when there is nothing to do.
    void SetRoundCompanion(std::function<std::function<void()>()> companion);
    // Reads that have not returned: a source stuck in the kernel keeps one out for good.
    size_t CountReadsOut() const;
    const SamplingTimes& GetTimes() const { return mTimes; }

private:
    struct Request;
    struct Round;

    // Hands the threads the reads of a round due then: every source that has no read out.
    void OpenRound(Clock::time_point due);
    // Notes what the returned reads brought, then takes the sample when the round's reads are all back.
    void CollectReadings();
    void NoteReturnedReadings();
    // Records the sample, and opens the next round.
    void CloseRound();

    SensorArray& mSensors;
    std::function<void()> mRecorded;
    std::function<std::function<void()>()> mRoundCompanion;
    SamplingTimes mTimes;
    std::unique_ptr<ReadingThreads> mThreads;
    std::unique_ptr<UThreadWakeup> mWakeup;
    // Closes a round whose reads are not all back by its bound.
    QTimer mBound;
    // By source, kept from round to round: at most one read of a source is out at a time.
    std::map<SensorSource*, std::shared_ptr<Request>> mRequests;
    std::shared_ptr<Round> mRound;
    Clock::time_point mRoundDue;
    bool mRoundOpen = false;
    bool mStopped = false;
    size_t mRoundReadsOut = 0;
};
