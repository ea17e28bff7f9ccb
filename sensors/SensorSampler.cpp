#include "sensors/SensorSampler.h"

#include "framework/LException.h"
#include "framework/UThreadWakeup.h"
#include "sensors/ReadingThreads.h"
#include "sensors/TemperatureSensor.h"

#include <algorithm>
#include <atomic>

// What the reads of one round share. A read wakes the loop only when it is the last of its round to return,
// or when it returns after its round was closed: a round of fast reads wakes the loop once, not once a read.
// A round closed at its bound first notes the reads that returned without waking it.
struct SensorSampler::Round {
    std::atomic<size_t> readsOut { 0 };
    std::atomic<bool> closed { false };
    std::shared_ptr<UThreadWakeup::Signal> signal;
};

// The reads of one source, shared between the event loop and the thread that runs each read: the thread fills
// in the reading, marks it done and wakes the loop when its round needs that. A source keeps its request from
// round to round, so that a round of reads allocates next to nothing.
struct SensorSampler::Request {
    explicit Request(std::shared_ptr<SensorSource> from)
        : source(std::move(from))
    {
    }

    void Read()
    {
        // The loop hands the next round over only once this one is done with this.
        std::shared_ptr<Round> within = round;
        started.store(true);
        reading = source->Read();
        // Sequentially consistent, with the closing of the round: either the loop sees this read done as it
        // closes the round, or this read sees the round closed and wakes the loop.
        done.store(true);
        if (within->readsOut.fetch_sub(1) == 1 || within->closed.load())
            within->signal->Raise();
    }

    const std::shared_ptr<SensorSource> source;
    // Only the event loop looks at these.
    TemperatureSensor* sensor = nullptr;
    bool out = false; // a read is under way, or what it brought is not yet noted
    bool inRound = false; // part of the round that is open
    bool wanted = false; // some sensor reads this source
    // Set by the loop before the read is handed to a thread.
    std::shared_ptr<Round> round;
    SourceReading reading;
    std::atomic<bool> started { false };
    std::atomic<bool> done { false };
};

SensorSampler::SensorSampler(SensorArray& sensors, std::function<void()> recorded, SamplingTimes times)
    : mSensors(sensors)
    , mRecorded(std::move(recorded))
    , mTimes(times)
    , mThreads(std::make_unique<ReadingThreads>())
    , mWakeup(std::make_unique<UThreadWakeup>([this] { CollectReadings(); }))
{
    // Precise: a bound that rang early would take a sample before its reads.
    mBound.setSingleShot(true);
    mBound.setTimerType(Qt::PreciseTimer);
    QObject::connect(
        &mBound, &QTimer::timeout, [this] { LException::ReportAndDrop("taking a sample", [this] { CloseRound(); }); });
}

SensorSampler::~SensorSampler()
{
    Stop();
}

void SensorSampler::Start()
{
    mStopped = false;
    OpenRound(Clock::now());
}

void SensorSampler::Stop()
{
    mBound.stop();
    mThreads->DropWaiting();
    mRoundOpen = false;
    // The sensors may go now: what the reads still out bring is dropped.
    mStopped = true;
    mRequests.clear();
}

size_t SensorSampler::CountReadsOut() const
{
    size_t out = 0;
    for (const auto& [source, request] : mRequests) {
        if (request->out && request->started.load() && !request->done.load())
            ++out;
    }
    return out;
}

void SensorSampler::StartRound()
{
    if (mStopped)
        return;
    auto now = Clock::now();
    // A round whose time has come takes its sample now: one sample per sensor per round, never two.
    if (mRoundOpen && now >= mRoundDue)
        CloseRound();
    if (!mRoundOpen) {
        OpenRound(now);
        return;
    }
    // The round waiting for its time is read now, and the rounds go on from now.
    mThreads->Hurry();
    mRoundDue = now;
    mBound.start(mRoundReadsOut == 0 ? std::chrono::milliseconds(0) : mTimes.readBound);
}

void SensorSampler::OpenRound(Clock::time_point due)
{
    auto round = std::make_shared<Round>();
    round->signal = mWakeup->GetSignal();
    std::vector<ReadingThreads::Job> jobs;
    jobs.reserve(mSensors.GetCount() + 1);
    for (auto& [source, request] : mRequests)
        request->wanted = false;
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        TemperatureSensor* sensor = mSensors[i];
        if (sensor == nullptr || !sensor->GetReader())
            continue;
        const std::shared_ptr<SensorSource>& source = sensor->GetReader();
        std::shared_ptr<Request>& request = mRequests[source.get()];
        if (!request)
            request = std::make_shared<Request>(source);
        if (request->wanted)
            continue; // read for another sensor already
        request->wanted = true;
        if (request->out)
            continue;
        request->sensor = sensor;
        request->out = true;
        request->inRound = true;
        request->started.store(false);
        request->done.store(false);
        request->round = round;
        jobs.push_back([request] { request->Read(); });
    }
    // A source that no sensor reads any more goes once its last read is noted.
    std::erase_if(mRequests, [](const auto& entry) { return !entry.second->wanted && !entry.second->out; });
    mRoundReadsOut = jobs.size();
    round->readsOut.store(jobs.size());
    mRound = round;
    mRoundOpen = true;
    mRoundDue = due;
    if (std::function<void()> companion = mRoundCompanion ? mRoundCompanion() : nullptr)
        jobs.push_back(std::move(companion));
    mThreads->Submit(std::move(jobs), due);
    // Without reads the round closes at its time; else at its bound, unless its reads are back first.
    auto untilDue = std::chrono::ceil<std::chrono::milliseconds>(std::max(due - Clock::now(), Clock::duration::zero()));
    mBound.start(untilDue + (mRoundReadsOut == 0 ? std::chrono::milliseconds(0) : mTimes.readBound));
}

void SensorSampler::SetRoundCompanion(std::function<std::function<void()>()> companion)
{
    mRoundCompanion = std::move(companion);
}

void SensorSampler::CollectReadings()
{
    if (mStopped)
        return;
    NoteReturnedReadings();
    // A read of a round closed late comes back while the next round waits for its time.
    if (mRoundOpen && mRoundReadsOut == 0 && Clock::now() >= mRoundDue)
        LException::ReportAndDrop("taking a sample", [this] { CloseRound(); });
}

void SensorSampler::NoteReturnedReadings()
{
    auto now = Clock::now();
    for (auto& [source, request] : mRequests) {
        if (!request->out || !request->done.load())
            continue;
        // A sensor whose chip came back reads a new source; what the old one gave still counts.
        request->sensor->NoteSourceReading(request->reading, now);
        if (request->inRound && mRoundOpen)
            --mRoundReadsOut;
        request->out = false;
        request->inRound = false;
    }
}

void SensorSampler::CloseRound()
{
    if (!mRoundOpen)
        return;
    auto now = Clock::now();
    // A bound set before the rounds were hurried or moved on waits for the round's own time.
    if (now < mRoundDue) {
        mBound.start(std::chrono::ceil<std::chrono::milliseconds>(mRoundDue - now));
        return;
    }
    if (mRound) {
        mRound->closed.store(true);
        NoteReturnedReadings();
    }
    mRoundOpen = false;
    mBound.stop();
    for (auto& [source, request] : mRequests)
        request->inRound = false;
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        TemperatureSensor* sensor = mSensors[i];
        if (sensor == nullptr)
            continue;
        sensor->CheckSilence(now, mTimes.silence);
        LException::ReportAndDrop("taking a sample", [sensor] { sensor->CreateNewEvent(); });
    }
    Clock::time_point closedRound = mRoundDue;
    if (mRecorded)
        mRecorded();
    // The rounds keep their rhythm; one that fell more than a round behind (the loop was held up) starts anew.
    if (!mStopped && !mRoundOpen) {
        Clock::time_point next = closedRound + mTimes.interval;
        now = Clock::now();
        OpenRound(next + mTimes.interval < now ? now : std::max(next, now));
    }
}
