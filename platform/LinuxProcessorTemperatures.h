// Processor (CPU package) temperatures from the kernel's hardware monitors below a root folder.
#pragma once

#include "platform/ProcessorTemperatures.h"
#include "platform/TemperatureInput.h"

#include <optional>
#include <string>

class LinuxProcessorTemperatures : public ProcessorTemperatures {
public:
    explicit LinuxProcessorTemperatures(std::string root);

    bool Read(std::vector<int32_t>& outReadings) override;
    // A package with a channel has a sensor, also while the channel cannot be read.
    bool HasTemperatureSensor(int32_t processor) override;

private:
    // One per package in ascending package id order; empty for a package that has no channel.
    std::vector<std::optional<TemperatureInput>> mPackages;
};
