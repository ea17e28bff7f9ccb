#include "sensors/SensorSampler.h"

#include "framework/LException.h"
#include "framework/UThreadWakeup.h"
#include "sensors/ReadingThreads.h"
#include "sensors/TemperatureSensor.h"

#include <atomic>

// One read, shared between the event loop and the thread that runs it: the thread fills in the reading,
// marks it done and wakes the loop.
struct SensorSampler::Request {
    std::shared_ptr<SensorSource> source;
    TemperatureSensor* sensor = nullptr; // only the event loop looks at it
    bool inRound = false; // part of the round that is open
    SourceReading reading;
    std::atomic<bool> done { false };
};

// What the reads of one round share. A read wakes the loop only when it is the last of its round to return,
// or when it returns after its round was closed: a round of fast reads wakes the loop once, not once a read.
// A round closed at its bound first notes the reads that returned without waking it.
struct SensorSampler::Round {
    std::atomic<size_t> readsOut { 0 };
    std::atomic<bool> closed { false };
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
    mBound.setSingleShot(true);
    mBound.setInterval(mTimes.readBound);
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
    mTick.start();
    StartRound();
}

void SensorSampler::Stop()
{
    mTick.stop();
    mBound.stop();
    mRoundOpen = false;
    // The sensors may go now: what the reads still out bring is dropped.
    mStopped = true;
}

size_t SensorSampler::CountReadsOut() const
{
    size_t out = 0;
    for (const auto& [source, request] : mOutstanding) {
        if (!request->done.load(std::memory_order_acquire))
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
    std::vector<ReadingThreads::Job> jobs;
    std::shared_ptr<UThreadWakeup::Signal> signal = mWakeup->GetSignal();
    auto round = std::make_shared<Round>();
    mRoundReadsOut = 0;
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        TemperatureSensor* sensor = mSensors[i];
        if (sensor == nullptr || !sensor->GetReader())
            continue;
        const std::shared_ptr<SensorSource>& source = sensor->GetReader();
        if (mOutstanding.contains(source.get()))
            continue;
        auto request = std::make_shared<Request>();
        request->source = source;
        request->sensor = sensor;
        request->inRound = true;
        mOutstanding.emplace(source.get(), request);
        ++mRoundReadsOut;
        jobs.push_back([request, signal, round] {
            request->reading = request->source->Read();
            // Sequentially consistent, with the closing of the round: either the loop sees this read done as
            // it closes the round, or this read sees the round closed and wakes the loop.
            request->done.store(true);
            if (round->readsOut.fetch_sub(1) == 1 || round->closed.load())
                signal->Raise();
        });
    }
    round->readsOut.store(jobs.size());
    mRound = round;
    mRoundOpen = true;
    if (std::function<void()> companion = mRoundCompanion ? mRoundCompanion() : nullptr)
        jobs.push_back(std::move(companion));
    mThreads->Submit(std::move(jobs));
    if (mRoundReadsOut == 0)
        CloseRound();
    else
        mBound.start();
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
    for (auto it = mOutstanding.begin(); it != mOutstanding.end();) {
        Request& request = *it->second;
        if (!request.done.load()) {
            ++it;
            continue;
        }
        // A sensor whose chip came back reads a new source; what the old one gave still counts.
        request.sensor->NoteSourceReading(request.reading, now);
        if (request.inRound && mRoundOpen)
            --mRoundReadsOut;
        it = mOutstanding.erase(it);
    }
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
    mBound.stop();
    for (auto& [source, request] : mOutstanding)
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
