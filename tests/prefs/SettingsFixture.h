// A machine with fixture sensors, its program's folder and a fixed clock, with fresh singletons around
// every test.
#pragma once

#include "framework/LException.h"
#include "framework/ULocale.h"
#include "tests/support/FixturePlatform.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// The code of the LException that work throws, or 0 when it throws none.
inline int32_t ErrorOf(const std::function<void()>& work)
{
    try {
        work();
    } catch (const LException& error) {
        return error.GetErrorCode();
    }
    return 0;
}

class SettingsTest : public ::testing::Test {
protected:
    // A first run in a locale that measures in US units keeps the scale's default, Fahrenheit.
    SettingsTest()
    {
        ULocale::SetUSUnitsForTesting(true);
        InstallMachine({ { "CPU Temperature", 40 } });
    }
    ~SettingsTest() override { ULocale::SetUSUnitsForTesting(std::nullopt); }

    // A fresh machine with these sensors (name and reading in degrees Celsius) in discovery order.
    std::vector<SensorRegistry::EntryID> InstallMachine(const std::vector<std::pair<std::string, double>>& sensors)
    {
        platform.reset();
        platform = std::make_unique<FixturePlatform>();
        std::vector<SensorRegistry::EntryID> entries;
        for (const auto& [name, celsius] : sensors)
            entries.push_back(platform->AddTempSensor(name, celsius));
        return entries;
    }
    uint32_t Now() { return platform->Clock().GetDateTime(); }
    std::string PrefsPath() const { return platform->ProgramFolder() + "/Kelvara Preferences"; }

    std::unique_ptr<FixturePlatform> platform;
};
