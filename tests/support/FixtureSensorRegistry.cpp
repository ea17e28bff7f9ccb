#include "tests/support/FixtureSensorRegistry.h"

SensorRegistry::EntryID FixtureSensorRegistry::AddEntry(
    std::string name, std::map<std::string, Property, std::less<>> properties)
{
    std::lock_guard lock(mMutex);
    mEntries.push_back(Entry { std::move(name), std::move(properties), true });
    return static_cast<EntryID>(mEntries.size());
}

void FixtureSensorRegistry::SetProperty(EntryID entry, const std::string& key, Property value)
{
    std::lock_guard lock(mMutex);
    if (entry >= 1 && entry <= mEntries.size())
        mEntries[entry - 1].properties[key] = std::move(value);
}

void FixtureSensorRegistry::RemoveProperty(EntryID entry, const std::string& key)
{
    std::lock_guard lock(mMutex);
    if (entry >= 1 && entry <= mEntries.size())
        mEntries[entry - 1].properties.erase(key);
}

void FixtureSensorRegistry::SetExaminable(EntryID entry, bool examinable)
{
    std::lock_guard lock(mMutex);
    if (entry >= 1 && entry <= mEntries.size())
        mEntries[entry - 1].examinable = examinable;
}

const FixtureSensorRegistry::Entry* FixtureSensorRegistry::Find(EntryID entry) const
{
    if (entry < 1 || entry > mEntries.size())
        return nullptr;
    return &mEntries[entry - 1];
}

bool FixtureSensorRegistry::IterateEntries(std::vector<EntryID>& outEntries)
{
    std::lock_guard lock(mMutex);
    outEntries.clear();
    if (!mIterable)
        return false;
    for (EntryID id = 1; id <= mEntries.size(); ++id)
        outEntries.push_back(id);
    return true;
}

std::optional<std::string> FixtureSensorRegistry::GetName(EntryID entry)
{
    std::lock_guard lock(mMutex);
    const Entry* found = Find(entry);
    if (found == nullptr || !found->examinable)
        return std::nullopt;
    return found->name;
}

std::optional<std::string> FixtureSensorRegistry::GetStringProperty(EntryID entry, std::string_view key)
{
    std::lock_guard lock(mMutex);
    const Entry* found = Find(entry);
    if (found == nullptr)
        return std::nullopt;
    auto property = found->properties.find(key);
    if (property == found->properties.end() || !std::holds_alternative<std::string>(property->second))
        return std::nullopt;
    return std::get<std::string>(property->second);
}

std::optional<int32_t> FixtureSensorRegistry::GetSInt32Property(EntryID entry, std::string_view key)
{
    std::lock_guard lock(mMutex);
    const Entry* found = Find(entry);
    if (found == nullptr)
        return std::nullopt;
    auto property = found->properties.find(key);
    if (property == found->properties.end() || !std::holds_alternative<int32_t>(property->second))
        return std::nullopt;
    return std::get<int32_t>(property->second);
}
