#include "tests/prefs/SettingsFixture.h"

#include "platform/FixtureSMCUserClient.h"
#include "platform/Platform.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "util/UtilitiesFolder.h"

FileBytes& FileBytes::U8(uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value));
    return *this;
}

FileBytes& FileBytes::U16(uint32_t value)
{
    return U8(value >> 8).U8(value);
}

FileBytes& FileBytes::U32(uint32_t value)
{
    return U16(value >> 16).U16(value);
}

FileBytes& FileBytes::Name(const std::string& text)
{
    U8(static_cast<uint32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
}

FileBytes& FileBytes::Names(const std::vector<std::string>& names)
{
    U32(static_cast<uint32_t>(names.size()));
    for (const std::string& name : names)
        Name(name);
    return *this;
}

FileBytes& FileBytes::Append(const FileBytes& more)
{
    bytes.insert(bytes.end(), more.bytes.begin(), more.bytes.end());
    return *this;
}

void SettingsTest::SetUp()
{
    InstallMachine({ { kSensorName, 40 } });
}

void SettingsTest::TearDown()
{
    Preferences::DeleteInstanceForTesting();
    SensorMaster::DeleteInstanceForTesting();
}

void SettingsTest::InstallMachine(const std::vector<std::pair<std::string, int32_t>>& sensors)
{
    Preferences::DeleteInstanceForTesting();
    SensorMaster::DeleteInstanceForTesting();
    auto registry = std::make_unique<FixtureSensorRegistry>();
    registry->AddEntry("PowerMac7,2");
    mEntries.clear();
    for (const auto& [name, celsius] : sensors) {
        mEntries.push_back(registry->AddEntry("IOHWSensor",
            { { "IONameMatched", std::string("temp-sensor") }, { "location", name },
                { "current-value", static_cast<int32_t>(celsius * 65536) } }));
    }
    mRegistry = registry.get();
    auto smc = std::make_unique<FixtureSMCUserClient>();
    smc->SetPresent(false);
    PlatformServices services;
    services.registry = std::move(registry);
    services.processors = std::make_unique<FixtureProcessorTemperatures>();
    services.smc = std::move(smc);
    services.machine = std::make_unique<FixtureMachineInfo>("PowerMac7,2");
    services.folders = std::make_unique<FixtureUserFolders>(mFolder.Path());
    services.clock = std::make_unique<FixtureClock>(kNow);
    Platform::Install(std::move(services));
}

TemperatureSensor* SettingsTest::SensorAt(int index)
{
    TemperatureSensor* sensor = nullptr;
    SensorMaster::Get()->GetSensorArray()->FetchItemAt(index, sensor);
    return sensor;
}

void SettingsTest::Sample(int index, int32_t celsius)
{
    TemperatureSensor* sensor = SensorAt(index);
    mRegistry->SetProperty(mEntries.at(static_cast<size_t>(index - 1)), "current-value", celsius * 65536);
    sensor->CreateNewEvent();
}

std::string SettingsTest::PrefsPath() const
{
    return mFolder / (std::string(kUtilitiesFolderName) + "/" + kPreferencesFileName);
}
