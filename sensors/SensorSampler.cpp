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
        jobs.push_back([request, signal] {
            request->reading = request->source->Read();
            request->done.store(true, std::memory_order_release);
            signal->Raise();
        });
    }
    mRoundOpen = true;
    if (mRoundReadsOut == 0) {
        CloseRound();
        return;
    }
    mBound.start();
    mThreads->Submit(std::move(jobs));
}

void SensorSampler::CollectReadings()
{
    if (mStopped)
        return;
    auto now = std::chrono::steady_clock::now();
    for (auto it = mOutstanding.begin(); it != mOutstanding.end();) {
        Request& request = *it->second;
        if (!request.done.load(std::memory_order_acquire)) {
            ++it;
            continue;
        }
        // A sensor whose chip came back reads a new source; what the old one gave still counts.
        request.sensor->NoteSourceReading(request.reading, now);
        if (request.inRound && mRoundOpen)
            --mRoundReadsOut;
        it = mOutstanding.erase(it);
    }
    if (mRoundOpen && mRoundReadsOut == 0)
        LException::ReportAndDrop("taking a sample", [this] { CloseRound(); });
}

void SensorSampler::CloseRound()
{
    if (!mRoundOpen)
        return;
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
