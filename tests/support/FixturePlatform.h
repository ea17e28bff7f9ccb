// Installs in-memory platform services for a test and resets the program's singletons around it.
#pragma once

#include "platform/Platform.h"
#include "tests/support/FixtureClock.h"
#include "tests/support/FixtureMachineInfo.h"
#include "tests/support/FixtureProcessorTemperatures.h"
#include "tests/support/FixtureSMCUserClient.h"
#include "tests/support/FixtureSensorRegistry.h"
#include "tests/support/FixtureURLLauncher.h"
#include "tests/support/FixtureUserFolders.h"
#include "tests/support/TestFolders.h"

#include <string>

class FixturePlatform {
public:
    // model names the platform entry, the first entry of the registry.
    explicit FixturePlatform(const std::string& model = "TestMachine1,1");
    // The machine's own registry and processors, read from a sysfs tree below sysfsRoot, as the program reads
    // them (and scans them again for hardware that comes and goes); Registry() and Processors() are not there.
    struct OnSysfs {
        std::string sysfsRoot;
    };
    explicit FixturePlatform(OnSysfs machine);
    ~FixturePlatform();

    FixtureSensorRegistry& Registry() { return *mRegistry; }
    FixtureProcessorTemperatures& Processors() { return *mProcessors; }
    FixtureSMCUserClient& SMC() { return *mSMC; }
    FixtureClock& Clock() { return *mClock; }
    FixtureURLLauncher& Launcher() { return *mLauncher; }

    // A type 1 sensor entry: "IOHWSensor" matched as "temp-sensor", with its location and reading.
    SensorRegistry::EntryID AddTempSensor(const std::string& location, double celsius);
    static int32_t Fixed16(double celsius);

    // The program's folder, where the data and preferences files go.
    std::string ProgramFolder() const;
    const TemporaryFolder& Home() const { return mHome; }

    static void ResetSingletons();

private:
    void Install(const std::string& model, std::string sysfsRoot);

    TemporaryFolder mHome;
    FixtureSensorRegistry* mRegistry = nullptr;
    FixtureProcessorTemperatures* mProcessors = nullptr;
    FixtureSMCUserClient* mSMC;
    FixtureClock* mClock;
    FixtureURLLauncher* mLauncher;
};
