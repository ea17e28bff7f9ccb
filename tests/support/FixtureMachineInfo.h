// Machine facts for tests: a model, a processor count and speed, and whether it is a Mac, set by hand.
#pragma once

#include "platform/MachineInfo.h"

#include <string>

class FixtureMachineInfo : public MachineInfo {
public:
    explicit FixtureMachineInfo(std::string model = {}, uint32_t processors = 1, int32_t speed = 0)
        : mModel(std::move(model))
        , mProcessors(processors)
        , mSpeed(speed)
    {
    }
    std::string ModelIdentifier() override { return mModel; }
    uint32_t ProcessorCount() override { return mProcessors; }
    int32_t MaximumProcessorSpeedMHz() override { return mSpeed; }
    bool IsAppleHardware() override { return mApple; }
    void SetAppleHardware(bool apple) { mApple = apple; }

private:
    bool mApple = false;
    std::string mModel;
    uint32_t mProcessors;
    int32_t mSpeed;
};
