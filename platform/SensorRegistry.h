// The registry of sensor entries: each entry has a name and string or number properties. The first entry
// of the iteration is the platform entry, whose name is the machine's model identifier.
#pragma once

#include "platform/SensorSource.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class SensorRegistry {
public:
    using EntryID = uint32_t; // never 0

    virtual ~SensorRegistry() = default;

    // Every entry, in iteration order; false when the registry cannot be iterated at all.
    virtual bool IterateEntries(std::vector<EntryID>& outEntries) = 0;

    // The entry's name; nullopt when the entry cannot be examined.
    virtual std::optional<std::string> GetName(EntryID entry) = 0;

    // A string property; nullopt when it is absent or not a string.
    virtual std::optional<std::string> GetStringProperty(EntryID entry, std::string_view key) = 0;

    // A number property stored as a signed 32-bit value; nullopt when it is absent, not a number, or a
    // number of another width. Values are read anew at every call.
    virtual std::optional<int32_t> GetSInt32Property(EntryID entry, std::string_view key) = 0;

    // A reading property read now ("current-value", "core-temp", "temperature"): Valid with a signed 32-bit
    // number, Failed when there is none this time, Asleep when reading would wake a sleeping device. Called
    // on worker threads, one call per entry at a time.
    virtual SourceReading ReadValue(EntryID entry, std::string_view key)
    {
        std::optional<int32_t> value = GetSInt32Property(entry, key);
        return value ? SourceReading::Of(*value) : SourceReading::Failure();
    }
};

// The string property that names an entry's hardware the same way at every boot: its stable key.
constexpr const char* kStableKeyProperty = "stable-key";
// The string properties of where a channel's hardware sits: its chip's resolved device path below /sys, and the
// channel's file name ("temp2").
constexpr const char* kDevicePathProperty = "device-path";
constexpr const char* kChannelProperty = "channel";
// The number properties of a channel's own limits, where it has them: tempN_max and tempN_crit.
constexpr const char* kMaxThresholdProperty = "max-threshold";
constexpr const char* kCritThresholdProperty = "crit-threshold";
