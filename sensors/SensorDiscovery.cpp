#include "sensors/SensorDiscovery.h"

#include "framework/PString.h"
#include "platform/DeviceNames.h"
#include "platform/NvidiaCardList.h"
#include "platform/PciIdList.h"
#include "platform/Platform.h"
#include "sensors/NvidiaCardSource.h"
#include "sensors/NvmlSession.h"
#include "sensors/ProcessorSource.h"
#include "sensors/RegistrySource.h"
#include "sensors/SMCSource.h"
#include "sensors/SMCWrapper.h"
#include "sensors/TemperatureSensor.h"
#include "util/SharedUtils.h"

#include <cstring>

namespace {

int32_t Threshold(SensorRegistry& registry, SensorRegistry::EntryID entry, const char* key)
{
    return registry.GetSInt32Property(entry, key).value_or(kNoThreshold);
}

const char* ReadingKey(int32_t type)
{
    switch (type) {
    case kSensorTypeCPUCore:
        return "core-temp";
    case kSensorTypeCPUFan:
        return "temperature";
    default:
        return "current-value";
    }
}

int32_t Fixed16(int32_t celsius)
{
    return celsius << 16;
}

bool IsRegistryType(int32_t type)
{
    return type == kSensorTypeRegistry || type == kSensorTypeCPUCore || type == kSensorTypeCPUFan
        || type == kSensorTypeDiode || type == kSensorTypeMaxim;
}

}

SensorDescription SensorDiscovery::DescribeRegistryEntry(
    const std::shared_ptr<SensorRegistry>& registry, SensorRegistry::EntryID entry, int32_t type)
{
    SensorDescription found;
    found.type = type;
    found.source = entry;
    found.reader = std::make_shared<RegistrySource>(registry, entry, ReadingKey(type));
    if (type == kSensorTypeCPUCore) {
        found.name = "Core temperature";
    } else if (type == kSensorTypeCPUFan) {
        found.name = "Fan sensor temperature";
    } else if (auto location = registry->GetStringProperty(entry, "location")) {
        found.name = *location;
        found.nameIsLocation = true;
    }
    found.devicePath = registry->GetStringProperty(entry, kDevicePathProperty).value_or("");
    found.channel = registry->GetStringProperty(entry, kChannelProperty).value_or("");
    found.key = registry->GetStringProperty(entry, kStableKeyProperty)
                    .value_or("registry:" + std::to_string(entry) + ":" + found.name);
    if (type == kSensorTypeCPUCore)
        found.key += ":core";
    else if (type == kSensorTypeCPUFan)
        found.key += ":fan";
    if (type == kSensorTypeRegistry) {
        found.lowThreshold = Threshold(*registry, entry, "low-threshold");
        found.highThreshold = Threshold(*registry, entry, "high-threshold");
        found.maxThreshold = Threshold(*registry, entry, kMaxThresholdProperty);
        found.critThreshold = Threshold(*registry, entry, kCritThresholdProperty);
    }
    return found;
}

SensorDescription SensorDiscovery::DescribeProcessor(
    const std::shared_ptr<ProcessorTemperatures>& processors, int32_t processor)
{
    SensorDescription package;
    package.key = "cpu-package:" + std::to_string(processors->PackageID(processor));
    package.name
        = processors->Count() == 1 ? "CPU temperature" : "CPU " + std::to_string(processor + 1) + " temperature";
    package.type = kSensorTypeProcessor;
    package.source = static_cast<uint32_t>(processor);
    package.reader = std::make_shared<ProcessorSource>(processors, processor);
    if (auto limit = processors->HighLimit(processor))
        package.highThreshold = *limit;
    ProcessorTemperatures::Channel channel = processors->ChannelOf(processor);
    package.devicePath = channel.devicePath;
    package.channel = channel.channel;
    return package;
}

SensorDescription SensorDiscovery::DescribeSMCSensor(int32_t sensor)
{
    SensorDescription found;
    found.key = "smc:" + std::to_string(sensor);
    found.name = "Thermal Sensor " + std::to_string(sensor + 1);
    found.type = kSensorTypeSMC;
    found.source = static_cast<uint32_t>(sensor);
    found.reader = std::make_shared<SMCSource>(sensor);
    return found;
}

SensorDescription SensorDiscovery::Describe(uint32_t source, int32_t type)
{
    if (IsRegistryType(type))
        return DescribeRegistryEntry(Platform::ScanRegistry(), source, type);
    if (type == kSensorTypeProcessor)
        return DescribeProcessor(Platform::ScanProcessors(), static_cast<int32_t>(source));
    if (type == kSensorTypeSMC)
        return DescribeSMCSensor(static_cast<int32_t>(source));
    SensorDescription unknown;
    unknown.key = "unknown:" + std::to_string(type) + ":" + std::to_string(source);
    unknown.type = type;
    unknown.source = source;
    return unknown;
}

// The registry's sensor entries: "IOHWSensor" channels and the two sensors of a CPU thermal driver.
void SensorDiscovery::DiscoverRegistrySensors(std::vector<SensorDescription>& found)
{
    std::shared_ptr<SensorRegistry> registry = Platform::ScanRegistry();
    std::vector<SensorRegistry::EntryID> entries;
    if (!registry->IterateEntries(entries))
        return;
    for (SensorRegistry::EntryID entry : entries) {
        std::optional<std::string> name = registry->GetName(entry);
        if (!name)
            break;
        if (*name == "IOHWSensor") {
            int32_t type = 0;
            if (auto matched = registry->GetStringProperty(entry, "IONameMatched")) {
                if (*matched == "temp-sensor")
                    type = kSensorTypeRegistry;
            } else if (auto kind = registry->GetStringProperty(entry, "type")) {
                if (*kind == "temperature") {
                    type = kSensorTypeRegistry;
                } else if (*kind == "temp") {
                    Str255 model;
                    SharedUtils_GetMacName(&model);
                    // The PowerMac G5 "11" models report their diodes already in 16.16 fixed point.
                    bool isPowerMac11 = model[0] >= 10 && std::memcmp(model.data() + 1, "PowerMac11", 10) == 0;
                    type = isPowerMac11 ? kSensorTypeMaxim : kSensorTypeDiode;
                }
            }
            if (type != 0)
                found.push_back(DescribeRegistryEntry(registry, entry, type));
        } else if (*name == "AppleCPUThermo") {
            found.push_back(DescribeRegistryEntry(registry, entry, kSensorTypeCPUCore));
            found.push_back(DescribeRegistryEntry(registry, entry, kSensorTypeCPUFan));
        }
        // Every entry counts: a desktop of today has more than twelve sensors (a 16-core processor alone
        // has 17 channels), and a sensor left out would be silently missing from every display.
    }
}

void SensorDiscovery::DiscoverProcessorSensors(std::vector<SensorDescription>& found)
{
    std::shared_ptr<ProcessorTemperatures> processors = Platform::ScanProcessors();
    int32_t count = processors->Count();
    for (int32_t processor = 0; processor < count; ++processor) {
        // A package whose driver cannot be read at this moment is a sensor all the same; its readings
        // come when the driver gives them.
        if (processors->HasTemperatureSensor(processor))
            found.push_back(DescribeProcessor(processors, processor));
    }
}

void SensorDiscovery::DiscoverSMCSensors(std::vector<SensorDescription>& found)
{
    SMCWrapper* smc = SMCWrapper::Get();
    if (smc->Init() != 0)
        return;
    int32_t count = smc->GetSensorCount();
    for (int32_t i = 0; i < count; ++i)
        found.push_back(DescribeSMCSensor(i));
}

void SensorDiscovery::DiscoverNvidiaCards(
    std::vector<SensorDescription>& found, const std::shared_ptr<NvmlSession>& nvml)
{
    // The cards are found in sysfs, and the library is loaded (and missed) only when there is one.
    std::vector<NvidiaCardList::Card> cards = NvidiaCardList::Find(Platform::SysfsRoot());
    if (cards.empty() || !nvml->IsUsable())
        return;
    std::optional<PciIdList> pciIds;
    for (size_t i = 0; i < cards.size(); ++i) {
        const NvidiaCardList::Card& card = cards[i];
        SensorDescription described;
        described.key = card.busId;
        described.type = kSensorTypeRegistry;
        described.source = static_cast<uint32_t>(i);
        described.devicePath = card.devicePath;
        described.reader = std::make_shared<NvidiaCardSource>(nvml, card);
        // A sleeping card is not asked for its name or limits: asking would wake it.
        std::optional<NvmlSession::CardFacts> facts;
        if (!NvidiaCardList::IsAsleep(card))
            facts = nvml->Describe(card.busId, NvidiaCardList::SleepsWhenIdle(card));
        if (facts && !facts->name.empty()) {
            described.name = facts->name;
        } else {
            if (!pciIds)
                pciIds.emplace(Platform::SysfsRoot());
            std::optional<std::string> entry = pciIds->DeviceName(NvidiaCardList::kVendorNvidia, card.deviceId);
            described.name = entry ? PciIdList::CardName("NVIDIA", *entry) : "NVIDIA GPU " + card.busId;
        }
        if (facts && facts->slowdown)
            described.highThreshold = described.maxThreshold = Fixed16(*facts->slowdown);
        if (facts && facts->shutdown)
            described.critThreshold = Fixed16(*facts->shutdown);
        if (described.highThreshold == kNoThreshold)
            described.highThreshold = described.critThreshold;
        found.push_back(std::move(described));
    }
}

std::vector<SensorDescription> SensorDiscovery::Discover(bool withSMC, const std::shared_ptr<NvmlSession>& nvml)
{
    std::vector<SensorDescription> found;
    DiscoverRegistrySensors(found);
    DiscoverProcessorSensors(found);
    // Only on the machine's own sysfs tree: services installed in its place have no PCI devices.
    if (nvml && Platform::ScansMachine())
        DiscoverNvidiaCards(found, nvml);
    if (found.empty() && withSMC)
        DiscoverSMCSensors(found);
    // Discovery runs on a worker: the device files (and the PCI ID list) are read here, never on the event loop.
    DeviceNames devices(Platform::SysfsRoot());
    for (SensorDescription& description : found) {
        if (description.deviceName.empty())
            description.deviceName = devices.Describe(description.devicePath);
    }
    return found;
}
