// The drawing of one machine model of the comparison database: a column per sensor, each measurement a
// vertical bar from its minimum to its maximum on the model's common temperature scale.
#pragma once

#include "framework/LView.h"
#include "framework/PlotColors.h"

#include <cstdint>

class ComparisonSensor;
class ComparisonSystem;
class LPaneEntry;

class ComparisonWindowView : public LView {
public:
    // Column geometry, in pixels.
    static constexpr int32_t kDataPointPitch = 14;
    static constexpr int32_t kGraphExtraWidth = 40;
    static constexpr int32_t kDividerWidth = 20;
    // Only an image taller than this has room for the quarter grid lines and their labels.
    static constexpr int32_t kGridlessHeight = 150;

    explicit ComparisonWindowView(const LPaneEntry& entry);
    ~ComparisonWindowView() override;

    ComparisonSystem* GetSystem() const { return mSystem; }

    // Shows system (not owned; the database keeps it): sizes the image and redraws.
    virtual void SetSystem(ComparisonSystem* system);
    // Image width: the columns and the dividers between them; height: the frame's. Does not redraw.
    virtual void SetImageSize();
    // The wider of the sensor's bold name and its graph (data points x 14 + 40).
    virtual int32_t CalculateSensorGraphWidth(const ComparisonSensor* sensor);
    // One column whose left edge is x: name, labels, frame and a bar per data point.
    virtual void DrawSensorGraph(int32_t x, const ComparisonSensor* sensor);
    // The grey line between two columns; returns the width it takes.
    virtual int32_t DrawGraphDivider(int32_t x);
    // The frame of a graph starting at left with count data points: fill, outline, grid, ticks, numbers.
    virtual void DrawFrame(int32_t left, int32_t count);
    // The temperature labels right-aligned against the frame's left side; low and high are Celsius.
    virtual void DrawMinMaxText(int32_t left, int32_t low, int32_t high);
    // The sensor's own lowest and highest reading as two lines of text starting at x ("Max Temp: 140°F" at
    // baseline 40, "Min Temp: 50°F" at 55). The columns do not draw them: at that place the text would run
    // over the labels and the frame, and the database's figures are not this machine's readings either.
    virtual void DrawSensorStats(int32_t x, const ComparisonSensor* sensor);
    // True when the model shown has this machine's model identifier (and is not a divider); the columns of
    // this machine's own model are drawn like any other's.
    virtual bool WeAreTheSameSystem();

protected:
    void DrawSelf() override;

private:
    ComparisonSystem* mSystem = nullptr;
    // The palette's colours for the drawing under way.
    PlotColors mColors;
};
