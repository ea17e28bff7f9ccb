#include "sensors/SensorMaster.h"

#include "framework/LException.h"
#include "platform/Platform.h"
#include "sensors/SMCWrapper.h"
#include "sensors/TemperatureSensor.h"
#include "util/SharedUtils.h"

#include <cstring>

SensorMaster* SensorMaster::sInstance = nullptr;

SensorMaster* SensorMaster::Get()
{
    if (sInstance == nullptr)
        sInstance = new SensorMaster;
    return ThrowIfNil_(sInstance);
}

void SensorMaster::DeleteInstanceForTesting()
{
    if (sInstance != nullptr) {
        sInstance->TerminateAndSaveData();
        delete sInstance;
        sInstance = nullptr;
    }
}

SensorMaster::SensorMaster()
    : mSensors(12)
{
    int16_t nextIndex = 1;
    DiscoverRegistrySensors(nextIndex);
    DiscoverProcessorSensors(nextIndex);
    if (mSensors.IsEmpty())
        DiscoverSMCSensors(nextIndex);
}

SensorMaster::~SensorMaster() = default;

void SensorMaster::Append(TemperatureSensor* sensor)
{
    mSensors.AddItem(sensor);
}

void SensorMaster::DiscoverRegistrySensors(int16_t& nextIndex)
{
    SensorRegistry& registry = Platform::Registry();
    std::vector<SensorRegistry::EntryID> entries;
    if (!registry.IterateEntries(entries))
        return;
    for (SensorRegistry::EntryID entry : entries) {
        std::optional<std::string> name = registry.GetName(entry);
        if (!name)
            break;
        if (*name == "IOHWSensor") {
            int32_t type = 0;
            if (auto matched = registry.GetStringProperty(entry, "IONameMatched")) {
                if (*matched == "temp-sensor")
                    type = kSensorTypeRegistry;
            } else if (auto kind = registry.GetStringProperty(entry, "type")) {
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
            if (type != 0) {
                Append(new TemperatureSensor(entry, type, nextIndex));
                ++nextIndex;
            }
        } else if (*name == "AppleCPUThermo") {
            Append(new TemperatureSensor(entry, kSensorTypeCPUCore, nextIndex));
            Append(new TemperatureSensor(entry, kSensorTypeCPUFan, static_cast<int16_t>(nextIndex + 1)));
            nextIndex = static_cast<int16_t>(nextIndex + 2);
        }
        // Every entry counts: a desktop of today has more than twelve sensors (a 16-core processor alone
        // has 17 channels), and a sensor left out would be silently missing from every display.
    }
}

void SensorMaster::DiscoverProcessorSensors(int16_t& nextIndex)
{
    int32_t count = GetProcessorTempCount();
    for (int32_t processor = 0; processor < count; ++processor) {
        // A package whose driver cannot be read at this moment is a sensor all the same; its readings
        // come when the driver gives them.
        if (!ProcessorHasTemperatureSensor(processor))
            continue;
        Append(new TemperatureSensor(static_cast<uint32_t>(processor), kSensorTypeProcessor, nextIndex));
        ++nextIndex;
    }
}

void SensorMaster::DiscoverSMCSensors(int16_t& nextIndex)
{
    SMCWrapper* smc = SMCWrapper::Get();
    if (smc->Init() != 0)
        return;
    int32_t count = smc->GetSensorCount();
    for (int32_t i = 0; i < count; ++i)
        Append(new TemperatureSensor(static_cast<uint32_t>(i), kSensorTypeSMC, static_cast<int16_t>(nextIndex + i)));
}

uint32_t SensorMaster::GetSamplesOfFirstSensor() const
{
    TemperatureSensor* first = nullptr;
    if (!mSensors.FetchItemAt(1, first) || first == nullptr)
        return 0;
    return static_cast<uint32_t>(first->GetLTTempArray()->GetCount());
}

void SensorMaster::TerminateAndSaveData()
{
    while (!mSensors.IsEmpty()) {
        TemperatureSensor* sensor = nullptr;
        mSensors.FetchItemAt(1, sensor);
        mSensors.RemoveItemsAt(1, 1);
        delete sensor;
    }
}

int32_t GetProcessorTempCount()
{
    std::vector<int32_t> readings;
    if (!Platform::Processors().Read(readings))
        return 0;
    return static_cast<int32_t>(readings.size());
}

uint32_t GetProcessorTemp(int32_t processor)
{
    std::vector<int32_t> readings;
    if (!Platform::Processors().Read(readings) || processor < 0 || processor >= static_cast<int32_t>(readings.size()))
        return 0;
    return static_cast<uint32_t>(readings[static_cast<size_t>(processor)]);
}

bool ProcessorHasTemperatureSensor(int32_t processor)
{
    return Platform::Processors().HasTemperatureSensor(processor);
}
