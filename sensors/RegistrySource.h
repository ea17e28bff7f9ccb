// A sensor read from a registry entry's reading property, through the registry the entry came from.
#pragma once

#include "platform/SensorRegistry.h"

#include <memory>
#include <string>

class RegistrySource : public SensorSource {
public:
    RegistrySource(std::shared_ptr<SensorRegistry> registry, SensorRegistry::EntryID entry, std::string key)
        : mRegistry(std::move(registry))
        , mEntry(entry)
        , mKey(std::move(key))
    {
    }

    SourceReading Read() override { return mRegistry->ReadValue(mEntry, mKey); }

private:
    std::shared_ptr<SensorRegistry> mRegistry;
    SensorRegistry::EntryID mEntry;
    std::string mKey;
};
