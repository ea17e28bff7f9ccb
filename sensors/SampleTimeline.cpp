#include "sensors/SampleTimeline.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<uint64_t> sRevisions { 0 };

}

SampleTimeline::SampleTimeline(std::vector<Stretch> stretches)
{
    for (const Stretch& stretch : stretches) {
        if (stretch.count > 0) {
            mStretches.push_back(stretch);
            mCount += stretch.count;
        }
    }
    Changed();
}

SampleTimeline SampleTimeline::MinuteApart(int32_t count, int64_t newest)
{
    if (count <= 0)
        return {};
    return SampleTimeline({ { newest - (count - 1) * kSecondsPerSample, count } });
}

void SampleTimeline::Add(int64_t when)
{
    if (mStretches.empty()) {
        mStretches.push_back({ when, 1 });
    } else {
        Stretch& last = mStretches.back();
        int64_t previous = last.start + (last.count - 1) * kSecondsPerSample;
        if (when < previous || when - previous > kLongestPause)
            mStretches.push_back({ when, 1 });
        else
            ++last.count;
    }
    ++mCount;
    DropOldest(mCount - kCapacity);
    Changed();
}

void SampleTimeline::FitTo(int32_t count, int64_t lastSave)
{
    count = std::max(count, 0);
    if (count < mCount) {
        DropNewest(mCount - count);
    } else if (count > mCount) {
        int32_t newer = count - mCount;
        mStretches.push_back({ lastSave - (newer - 1) * kSecondsPerSample, newer });
        mCount = count;
    }
    Changed();
}

void SampleTimeline::Clear()
{
    mStretches.clear();
    mCount = 0;
    Changed();
}

void SampleTimeline::DropOldest(int32_t samples)
{
    while (samples > 0 && !mStretches.empty()) {
        Stretch& oldest = mStretches.front();
        int32_t dropped = std::min(samples, oldest.count);
        oldest.start += dropped * kSecondsPerSample;
        oldest.count -= dropped;
        mCount -= dropped;
        samples -= dropped;
        if (oldest.count == 0)
            mStretches.erase(mStretches.begin());
    }
}

void SampleTimeline::DropNewest(int32_t samples)
{
    while (samples > 0 && !mStretches.empty()) {
        Stretch& newest = mStretches.back();
        int32_t dropped = std::min(samples, newest.count);
        newest.count -= dropped;
        mCount -= dropped;
        samples -= dropped;
        if (newest.count == 0)
            mStretches.pop_back();
    }
}

void SampleTimeline::Changed()
{
    mRevision = ++sRevisions;
}

std::vector<int64_t> SampleTimeline::TimesOldestFirst() const
{
    std::vector<int64_t> times;
    times.reserve(static_cast<size_t>(mCount));
    for (const Stretch& stretch : mStretches) {
        for (int32_t i = 0; i < stretch.count; ++i)
            times.push_back(stretch.start + i * kSecondsPerSample);
    }
    return times;
}

std::vector<SampleTimeline::Placement> SampleTimeline::PlaceBefore(int64_t now) const
{
    std::vector<Placement> placed;
    placed.reserve(mStretches.size());
    int32_t position = 0;
    // The age of the oldest sample of the newer stretch: the next one starts at least a minute behind it.
    int64_t newerOldest = -kSecondsPerSample;
    for (auto stretch = mStretches.rbegin(); stretch != mStretches.rend(); ++stretch) {
        int64_t newest = stretch->start + (stretch->count - 1) * kSecondsPerSample;
        int64_t ago = std::max(now - newest, newerOldest + kSecondsPerSample);
        placed.push_back({ position, ago });
        position += stretch->count;
        newerOldest = ago + (stretch->count - 1) * kSecondsPerSample;
    }
    return placed;
}
