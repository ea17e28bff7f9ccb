// The small history graph of a data window: each shown sensor's short-term history, newest at the left. Its
// window hands it every sample; it has no timer of its own.
#pragma once

#include "framework/LArray.h"
#include "framework/LPane.h"

#include <array>
#include <cstdint>
#include <vector>

class TemperatureSensor;

class DataWindowGraph : public LPane {
public:
    // Graph modes, as the graph-mode pop-up numbers its items.
    static constexpr int16_t kRangeMode = 1;
    static constexpr int16_t kPercentMode = 2;

    explicit DataWindowGraph(const LPaneEntry& entry);
    ~DataWindowGraph() override;

    // After a sample: asks for a redraw when the picture would differ from the one on screen. A sample that
    // does not move any line leaves the pane as it is.
    void ShowNewSamples();
    // Throws nilP on a null entry, leaving it and those after it in the list.
    virtual void Clear();
    // The same sensor may be added twice; it is then drawn twice.
    virtual void AddSensor(TemperatureSensor* sensor);
    // Any mode other than kPercentMode draws as kRangeMode. Does not redraw.
    virtual void SetGraphMode(int16_t mode);
    virtual int16_t GetGraphMode() const;

protected:
    void DrawSelf() override;

private:
    void InitArrays();
    // What a drawing shows: the plot's width and height, then for each sensor its index, its number of
    // points and their rows.
    const std::vector<int32_t>& Picture();

    int16_t mGraphMode = kRangeMode;
    TArray<TemperatureSensor*> mSensors;
    // The picture on screen; empty when it is not known (nothing drawn yet, or a part drawn over an older
    // picture).
    std::vector<int32_t> mShownPicture;
    // Each sensor's newest readings and their rows at the last picture, with what turned the one into the
    // other: a new sample moves the readings along, and only its own row needs working out.
    struct Line {
        const TemperatureSensor* sensor = nullptr;
        std::array<int32_t, 5> scale {};
        std::vector<int32_t> readings;
        std::vector<int32_t> rows;
    };
    std::vector<Line> mLines;
    // The last picture worked out, and a sensor's readings and rows while it is worked out.
    std::vector<int32_t> mPicture;
    std::vector<int32_t> mReadings;
    std::vector<int32_t> mRows;
};
