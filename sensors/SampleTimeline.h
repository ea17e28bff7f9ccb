// When the samples of one sensor's long-term history were taken: stretches of samples a minute apart, each
// with the wall-clock time of its first sample. The history holds one sample a minute of sampling, not of
// wall-clock time: a suspend, a stopped process, a run of silence or Kelvara not running leaves a pause that
// only the clock can tell, so a sample that comes more than 90 seconds after the one before it, or before
// it (the clock was set back), begins a stretch of its own. Pure rules, no I/O.
#pragma once

#include <cstdint>
#include <vector>

class SampleTimeline {
public:
    struct Stretch {
        // The wall-clock time of the stretch's first (oldest) sample, seconds since 1970 UTC.
        int64_t start = 0;
        int32_t count = 0;
        bool operator==(const Stretch&) const = default;
    };
    // Where a graph places a stretch: its newest sample's position in the history (0 is the newest sample
    // of all) and how long before now that sample was taken.
    struct Placement {
        int32_t firstPosition = 0;
        int64_t secondsAgo = 0;
    };

    static constexpr int64_t kSecondsPerSample = 60;
    // A longer pause between two samples is a gap.
    static constexpr int64_t kLongestPause = 90;
    // As many samples as a long-term history holds.
    static constexpr int32_t kCapacity = 15000;

    SampleTimeline() = default;
    // The stretches oldest first; empty ones are dropped.
    explicit SampleTimeline(std::vector<Stretch> stretches);
    // count samples a minute apart, the newest taken at newest: how a history without a timeline is dated.
    static SampleTimeline MinuteApart(int32_t count, int64_t newest);

    // A new newest sample, taken at when; beyond the capacity, the oldest goes.
    void Add(int64_t when);
    // Makes the timeline date exactly count samples, as many as the history's data file really holds, the
    // file last saved at lastSave. The two are saved together; a file with fewer samples was saved before
    // the timeline (a save cut short between the two), and the timeline's newest go. Samples the timeline
    // has no time for are newer than it (an older Kelvara ran meanwhile): a stretch of their own, a minute
    // apart, the newest at lastSave.
    void FitTo(int32_t count, int64_t lastSave);
    void Clear();

    int32_t Count() const { return mCount; }
    const std::vector<Stretch>& Stretches() const { return mStretches; }
    // The time of every sample, oldest first.
    std::vector<int64_t> TimesOldestFirst() const;
    // The stretches, newest first, placed before now: each newest sample at its age (none in the future),
    // and each stretch at least a minute behind the newer one, so that a clock set back never puts an
    // older sample after a newer one.
    std::vector<Placement> PlaceBefore(int64_t now) const;
    // Changes with every change of the timeline, and differs between any two timelines that were changed.
    uint64_t Revision() const { return mRevision; }

    bool operator==(const SampleTimeline& other) const { return mStretches == other.mStretches; }

private:
    void DropOldest(int32_t samples);
    void DropNewest(int32_t samples);
    void Changed();

    std::vector<Stretch> mStretches;
    int32_t mCount = 0;
    uint64_t mRevision = 0;
};
