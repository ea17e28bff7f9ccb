// Takes one sample of every sensor every 5 seconds, all at the same moment, from readings taken on worker
// threads. At each tick every source whose last read has returned is read again; the sample is recorded
// once all reads are back, or when the bound has passed: a read still out then leaves its sensor's last good
// value for this sample, and its result counts (for the newest reading and the range) whenever it comes. A
// source is never read twice at once, and the event loop never waits for a read.
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
    // sensors must outlive the sampler and keep only sensors it may read; recorded is called on the event
    // loop after each sample of all of them.
    SensorSampler(SensorArray& sensors, std::function<void()> recorded, SamplingTimes times = {});
    // Stops; reads still out are left to finish on their own.
    ~SensorSampler();

    // The first round at once, then one every interval.
    void Start();
    void Stop();
    // Reads every source that has no read out, and records the sample when they are back or the bound passes.
    void StartRound();
    bool IsRoundOpen() const { return mRoundOpen; }
    // Work that goes with each round's reads, on the same threads after them (the look for new chips), so
    // that it wakes no thread of its own. companion gives an empty function when there is nothing to do.
    void SetRoundCompanion(std::function<std::function<void()>()> companion);
    // Reads that have not returned: a source stuck in the kernel keeps one out for good.
    size_t CountReadsOut() const;
    const SamplingTimes& GetTimes() const { return mTimes; }

private:
    struct Request;
    struct Round;

    // Notes what the returned reads brought, then takes the sample when the round's reads are all back.
    void CollectReadings();
    void NoteReturnedReadings();
    // Every kStall while a sample waits: threads stuck in reads get help, and the bound closes the round.
    void WatchRound();
    void CloseRound();

    SensorArray& mSensors;
    std::function<void()> mRecorded;
    std::function<std::function<void()>()> mRoundCompanion;
    SamplingTimes mTimes;
    std::unique_ptr<ReadingThreads> mThreads;
    std::unique_ptr<UThreadWakeup> mWakeup;
    QTimer mTick;
    QTimer mWatch;
    // By source, kept from round to round: at most one read of a source is out at a time.
    std::map<SensorSource*, std::shared_ptr<Request>> mRequests;
    std::shared_ptr<Round> mRound;
    std::chrono::steady_clock::time_point mRoundStart;
    bool mRoundOpen = false;
    bool mStopped = false;
    size_t mRoundReadsOut = 0;
};
