// Facts about the machine: its model identifier, its processors and their speed.
#pragma once

#include <cstdint>
#include <string>

class MachineInfo {
public:
    virtual ~MachineInfo() = default;

    // The model identifier ("MacPro1,1" on Apple hardware); empty when it cannot be read. At most 127 bytes.
    virtual std::string ModelIdentifier() = 0;
    // Online logical processors; 0 when the count is not available.
    virtual uint32_t ProcessorCount() = 0;
    // The highest processor speed in MHz, 0 when unknown, at most 32767.
    virtual int32_t MaximumProcessorSpeedMHz() = 0;
    // Whether the machine is a Mac, where a System Management Controller is to be expected.
    virtual bool IsAppleHardware() = 0;
};

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
