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
    std::atomic<bool> done { false };
};

SensorSampler::SensorSampler(SensorArray& sensors, std::function<void()> recorded, SamplingTimes times)
    : mSensors(sensors)
    , mRecorded(std::move(recorded))
    , mTimes(times)
    , mThreads(std::make_unique<ReadingThreads>())
    , mWakeup(std::make_unique<UThreadWakeup>([this] { CollectReadings(); }))
{
    // Coarse: the samples keep their 5-second rhythm, and the system may bring wake-ups together.
    mTick.setTimerType(Qt::CoarseTimer);
    mTick.setInterval(mTimes.interval);
    QObject::connect(&mTick, &QTimer::timeout, [this] { StartRound(); });
    mWatch.setTimerType(Qt::PreciseTimer);
    mWatch.setInterval(std::min<std::chrono::milliseconds>(ReadingThreads::kStall, mTimes.readBound));
    QObject::connect(
        &mWatch, &QTimer::timeout, [this] { LException::ReportAndDrop("taking a sample", [this] { WatchRound(); }); });
}

SensorSampler::~SensorSampler()
{
    Stop();
}

void SensorSampler::Start()
{
    mStopped = false;
    mTick.start();
    StartRound();
}

void SensorSampler::Stop()
{
    mTick.stop();
    mWatch.stop();
    mRoundOpen = false;
    // The sensors may go now: what the reads still out bring is dropped.
    mStopped = true;
}

size_t SensorSampler::CountReadsOut() const
{
    size_t out = 0;
    for (const auto& [source, request] : mRequests) {
        if (request->out && !request->done.load(std::memory_order_acquire))
            ++out;
    }
    return out;
}

void SensorSampler::StartRound()
{
    if (mStopped)
        return;
    // A round still open takes its sample now: one sample per sensor per round, never two.
    if (mRoundOpen)
        CloseRound();
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
    mRoundStart = std::chrono::steady_clock::now();
    if (std::function<void()> companion = mRoundCompanion ? mRoundCompanion() : nullptr)
        jobs.push_back(std::move(companion));
    mThreads->Submit(std::move(jobs));
    if (mRoundReadsOut == 0)
        CloseRound();
    else
        mWatch.start();
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
    if (mRoundOpen && mRoundReadsOut == 0)
        LException::ReportAndDrop("taking a sample", [this] { CloseRound(); });
}

void SensorSampler::NoteReturnedReadings()
{
    auto now = std::chrono::steady_clock::now();
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

void SensorSampler::WatchRound()
{
    mThreads->CheckProgress();
    if (mRoundOpen && std::chrono::steady_clock::now() - mRoundStart >= mTimes.readBound)
        CloseRound();
}

void SensorSampler::CloseRound()
{
    if (!mRoundOpen)
        return;
    if (mRound) {
        mRound->closed.store(true);
        NoteReturnedReadings();
    }
    mRoundOpen = false;
    mWatch.stop();
    for (auto& [source, request] : mRequests)
        request->inRound = false;
    auto now = std::chrono::steady_clock::now();
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        TemperatureSensor* sensor = mSensors[i];
        if (sensor == nullptr)
            continue;
        sensor->CheckSilence(now, mTimes.silence);
        LException::ReportAndDrop("taking a sample", [sensor] { sensor->CreateNewEvent(); });
    }
    if (mRecorded)
        mRecorded();
}
