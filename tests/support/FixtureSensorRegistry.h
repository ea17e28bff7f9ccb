// An in-memory registry for tests: entries with names and properties that a test can change at will, also
// while worker threads read it.
#pragma once

#include "platform/SensorRegistry.h"

#include <map>
#include <mutex>
#include <variant>

class FixtureSensorRegistry : public SensorRegistry {
public:
    // A number of another width than 32 bits, which readers of signed 32-bit numbers must refuse.
    struct Int64 {
        int64_t value;
    };
    using Property = std::variant<std::string, int32_t, Int64>;

    struct Entry {
        std::string name;
        std::map<std::string, Property, std::less<>> properties;
        bool examinable = true;
    };

    FixtureSensorRegistry() = default;

    EntryID AddEntry(std::string name, std::map<std::string, Property, std::less<>> properties = {});
    void SetProperty(EntryID entry, const std::string& key, Property value);
    void RemoveProperty(EntryID entry, const std::string& key);
    void SetExaminable(EntryID entry, bool examinable);
    void SetIterable(bool iterable) { mIterable = iterable; }

    bool IterateEntries(std::vector<EntryID>& outEntries) override;
    std::optional<std::string> GetName(EntryID entry) override;
    std::optional<std::string> GetStringProperty(EntryID entry, std::string_view key) override;
    std::optional<int32_t> GetSInt32Property(EntryID entry, std::string_view key) override;

private:
    const Entry* Find(EntryID entry) const;

    mutable std::mutex mMutex;
    std::vector<Entry> mEntries;
    bool mIterable = true;
};
