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
