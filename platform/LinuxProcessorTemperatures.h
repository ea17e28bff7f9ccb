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
    int32_t Count() override { return static_cast<int32_t>(mPackages.size()); }
    SourceReading ReadProcessor(int32_t processor) override;
    // coretemp's package channel's max, else its crit. k10temp's limit is a fixed 70 C that says nothing of the
    // processor, so an AMD package has none.
    std::optional<int32_t> HighLimit(int32_t processor) override;
    int64_t PackageID(int32_t processor) override;
    Channel ChannelOf(int32_t processor) override;

private:
    struct Package {
        int64_t id = 0;
        // Empty for a package that has no channel.
        std::optional<TemperatureInput> input;
        std::optional<int32_t> highLimit;
        Channel channel;
    };
    // One per package in ascending package id order.
    std::vector<Package> mPackages;
};
