// The registry of sensor entries: each entry has a name and string or number properties. The first entry
// of the iteration is the platform entry, whose name is the machine's model identifier.
#pragma once

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
};
