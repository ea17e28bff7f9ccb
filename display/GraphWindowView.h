// The drawing surface of a graph window: each chosen sensor's long-term history, one pixel per sample.
#pragma once

#include "framework/LArray.h"
#include "framework/LPeriodical.h"
#include "framework/LView.h"

#include <cstdint>
#include <memory>

class LPaneEntry;
class TemperatureSensor;

class GraphWindowView : public LView, public LPeriodical {
public:
    // Graph modes.
    static constexpr int16_t kRangeMode = 1;
    static constexpr int16_t kPercentMode = 2;

    static constexpr double kRefreshSeconds = 60.0;

    explicit GraphWindowView(const LPaneEntry& entry);
    ~GraphWindowView() override;

    void SpendTime(const EventRecord& event) override;
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

protected:
    void DrawSelf() override;

private:
    std::unique_ptr<TArray<TemperatureSensor*>> mSensors;
    int16_t mGraphMode = kRangeMode;
};
