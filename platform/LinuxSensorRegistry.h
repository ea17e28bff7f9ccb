// The sensor registry built from the kernel's hardware monitors (/sys/class/hwmon below a root folder).
// The first entry is the platform entry, named by the model identifier; then one "IOHWSensor" entry per
// temperature channel, in an order that is stable across boots.
#pragma once

#include "platform/SensorRegistry.h"

#include <memory>
#include <string>

class LinuxSensorRegistry : public SensorRegistry {
public:
    explicit LinuxSensorRegistry(std::string root);
    ~LinuxSensorRegistry() override;

    bool IterateEntries(std::vector<EntryID>& outEntries) override;
    std::optional<std::string> GetName(EntryID entry) override;
    std::optional<std::string> GetStringProperty(EntryID entry, std::string_view key) override;
    // Read anew at every call; a failed read is no value (the sensor keeps its last good one).
    std::optional<int32_t> GetSInt32Property(EntryID entry, std::string_view key) override;
    SourceReading ReadValue(EntryID entry, std::string_view key) override;

private:
    struct Impl;
    std::unique_ptr<Impl> mImpl;
};
