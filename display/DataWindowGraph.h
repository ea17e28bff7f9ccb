// The small history graph of a data window: each shown sensor's short-term history, newest at the left.
#pragma once

#include "framework/LArray.h"
#include "framework/LPane.h"
#include "framework/LPeriodical.h"

#include <cstdint>

class TemperatureSensor;

class DataWindowGraph : public LPane, public LPeriodical {
public:
    // Graph modes, as the graph-mode pop-up numbers its items.
    static constexpr int16_t kRangeMode = 1;
    static constexpr int16_t kPercentMode = 2;
    static constexpr double kRedrawSeconds = 5.0;

    explicit DataWindowGraph(const LPaneEntry& entry);
    ~DataWindowGraph() override;

    void SpendTime(const EventRecord& event) override;
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

    int16_t mGraphMode = kRangeMode;
    TArray<TemperatureSensor*> mSensors;
};
