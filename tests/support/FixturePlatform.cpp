#include "tests/support/FixturePlatform.h"

#include "prefs/KelvaraSettings.h"
#include "prefs/Preferences.h"
#include "sensors/SMCWrapper.h"
#include "sensors/SensorMaster.h"

#include <cmath>

FixturePlatform::FixturePlatform(const std::string& model)
{
    Install(model, {});
}

FixturePlatform::FixturePlatform(OnSysfs machine)
{
    Install("TestMachine1,1", machine.sysfsRoot);
}

void FixturePlatform::Install(const std::string& model, std::string sysfsRoot)
{
    ResetSingletons();
    PlatformServices services;
    auto smc = std::make_unique<FixtureSMCUserClient>();
    auto clock = std::make_unique<FixtureClock>(3'000'000'000u);
    mSMC = smc.get();
    mClock = clock.get();
    auto launcher = std::make_unique<FixtureURLLauncher>();
    mLauncher = launcher.get();
    mSMC->SetPresent(false);
    if (sysfsRoot.empty()) {
        auto registry = std::make_unique<FixtureSensorRegistry>();
        auto processors = std::make_unique<FixtureProcessorTemperatures>();
        mRegistry = registry.get();
        mProcessors = processors.get();
        mRegistry->AddEntry(model);
        services.registry = std::move(registry);
        services.processors = std::move(processors);
    }
    services.smc = std::move(smc);
    services.machine = std::make_unique<FixtureMachineInfo>(model, 2, 2400);
    services.folders = std::make_unique<FixtureUserFolders>(mHome / "config");
    services.clock = std::move(clock);
    services.launcher = std::move(launcher);
    Platform::Install(std::move(services), sysfsRoot.empty() ? "/" : sysfsRoot);
}

FixturePlatform::~FixturePlatform()
{
    ResetSingletons();
    Platform::Install(PlatformServices {});
}

void FixturePlatform::ResetSingletons()
{
    SensorMaster::DeleteInstanceForTesting();
    SMCWrapper::DeleteInstanceForTesting();
    Preferences::DeleteInstanceForTesting();
    KelvaraSettings::DeleteInstanceForTesting();
}

int32_t FixturePlatform::Fixed16(double celsius)
{
    return static_cast<int32_t>(std::lround(celsius * 65536.0));
}

SensorRegistry::EntryID FixturePlatform::AddTempSensor(const std::string& location, double celsius)
{
    return mRegistry->AddEntry("IOHWSensor",
        { { "IONameMatched", std::string("temp-sensor") }, { "location", location },
            { "current-value", Fixed16(celsius) } });
}

std::string FixturePlatform::ProgramFolder() const
{
    return mHome / "config/Varnholt's Utilities";
}
