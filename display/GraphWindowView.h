// The drawing surface of a graph window: each chosen sensor's long-term history against time, newest at
// the left, at a chosen number of pixels per minute. Its window hands it every sample; it has no timer of
// its own.
#pragma once

#include "framework/FourCharCode.h"
#include "framework/LArray.h"
#include "framework/LBroadcaster.h"
#include "framework/LView.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class LPaneEntry;
class SampleTimes;
class TimelineSampleTimes;
class TemperatureSensor;

// Broadcast by the view when it chose another time scale by itself (see SetAutomaticTimeScale).
constexpr MessageT msg_TimeScaleChanged = FourCC("TmSc");

class GraphWindowView : public LView, public LBroadcaster {
public:
    // Graph modes.
    static constexpr int16_t kRangeMode = 1;
    static constexpr int16_t kPercentMode = 2;

    // Without a new minute of history, the plot still moves on with the clock: it is drawn again after as
    // many samples as make a minute.
    static constexpr int32_t kSamplesBetweenRedraws = 12;

    // The time scales, in pixels per minute of history, from the whole 250 hours to the last minutes.
    static constexpr std::array<int32_t, 5> kTimeScales { 1, 2, 5, 10, 30 };
    // The history that a window's automatic time scale waits for before it zooms in.
    static constexpr int32_t kMinutesBeforeZooming = 10;

    explicit GraphWindowView(const LPaneEntry& entry);
    ~GraphWindowView() override;

    // After a sample: draws the plot again when a shown sensor's history has a new minute, or when a minute
    // of samples has passed since the last drawing (the time axis moves on while the sensors are silent).
    void ShowNewSamples();
    virtual void AddSensor(TemperatureSensor* sensor);
    virtual void ClearSensors();
    virtual void SetupSelf();
    virtual void SetGraphMode(int16_t mode) { mGraphMode = mode; }
    virtual int16_t GetGraphMode() const { return mGraphMode; }
    virtual void InitArrays();
    virtual void DrawFrame();
    virtual void DrawData();
    virtual void DrawMinMaxText();
    virtual void SetImageSize();

    const TArray<TemperatureSensor*>& GetSensors() const { return *mSensors; }

    // Pixels per minute; a value that is not one of kTimeScales takes the nearest lower one (at least the
    // first). Ends the automatic choice. Resizes the image; does not redraw.
    void SetTimeScale(int32_t pixelsPerMinute);
    int32_t GetTimeScale() const { return mPixelsPerMinute; }
    // The next time scale up (direction 1) or down (-1) from the current one; the current one at either end.
    int32_t NextTimeScale(int direction) const;
    // While on, the view chooses the time scale at every new minute: the smallest that makes the history
    // fill at least half of the plot, once there are kMinutesBeforeZooming minutes of it (1 before that).
    void SetAutomaticTimeScale(bool automatic);
    bool IsTimeScaleAutomatic() const { return mAutomaticTimeScale; }

    // Where the samples' times come from; the sensors' timelines until this is called. The times must
    // outlive the view.
    void SetSampleTimes(const SampleTimes& times) { mTimes = &times; }

    // The column of the image for a time before now, and the time of a column.
    int32_t ColumnOfSecondsAgo(int64_t secondsAgo) const;
    int64_t SecondsAgoAtColumn(int32_t h) const;

    // What hovering over the plot at (h, v) of the image shows, as rich text: the column's time before now and
    // on the clock, and each plotted sensor's value there in its colour, hottest first. Empty outside the plot.
    std::string GetToolTipAt(int32_t h, int32_t v) override;

protected:
    void DrawSelf() override;

private:
    int32_t AutomaticTimeScale(int64_t historySeconds) const;
    // The pauses in the sensors' histories, each a thin band in the frame's colour.
    void DrawPauses();
    // The column of a sample of the sensor's long-term history (0 is the newest), and of one taken ago seconds
    // before now.
    int32_t ColumnOfSample(const TemperatureSensor& sensor, int32_t sample) const;
    int32_t ColumnOfSampleAt(int32_t sample, int64_t ago) const;
    // The samples, of the first count, from first to before last, whose columns the current port reaches,
    // with one more either side.
    std::pair<int32_t, int32_t> SamplesInReach(const TemperatureSensor& sensor, int32_t count) const;
    // The revision of each shown sensor's timeline: they change with every new minute of history.
    std::vector<uint64_t> TimelineRevisions() const;

    std::unique_ptr<TArray<TemperatureSensor*>> mSensors;
    int16_t mGraphMode = kRangeMode;
    int32_t mPixelsPerMinute = kTimeScales.front();
    bool mAutomaticTimeScale = false;
    std::unique_ptr<TimelineSampleTimes> mTimelineTimes;
    const SampleTimes* mTimes;
    // The timelines' revisions at the last drawing after a sample, and the samples since.
    std::vector<uint64_t> mDrawnRevisions;
    int32_t mSamplesSinceRedraw = 0;
};
