// A CPU package, read through the processor temperatures of the scan that found it.
#pragma once

#include "platform/ProcessorTemperatures.h"

#include <memory>

class ProcessorSource : public SensorSource {
public:
    ProcessorSource(std::shared_ptr<ProcessorTemperatures> processors, int32_t processor)
        : mProcessors(std::move(processors))
        , mProcessor(processor)
    {
    }

    SourceReading Read() override { return mProcessors->ReadProcessor(mProcessor); }

private:
    std::shared_ptr<ProcessorTemperatures> mProcessors;
    int32_t mProcessor;
};
