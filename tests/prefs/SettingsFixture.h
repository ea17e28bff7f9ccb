// A machine with fixture sensors, a temporary preferences folder and a fixed clock, with fresh singletons
// around every test; and a builder for the bytes of preferences files.
#pragma once

#include "platform/FixtureSensorRegistry.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TemperatureSensor;

struct FileBytes {
    std::vector<uint8_t> bytes;

    FileBytes& U8(uint32_t value);
    FileBytes& U16(uint32_t value);
    FileBytes& U32(uint32_t value);
    FileBytes& Name(const std::string& text);
    // A count, then the names.
    FileBytes& Names(const std::vector<std::string>& names);
    FileBytes& Append(const FileBytes& more);
};

class SettingsTest : public ::testing::Test {
protected:
    static constexpr uint32_t kNow = 0xC0FFEE01;
    static constexpr const char* kSensorName = "CPU Temperature";

    void SetUp() override;
    void TearDown() override;

    // Sensors by name and reading in degrees Celsius, in discovery order; call before the first
    // SensorMaster::Get.
    void InstallMachine(const std::vector<std::pair<std::string, int32_t>>& sensors);
    // Gives sensor number (from 1) a new reading and has it take a sample.
    void Sample(int index, int32_t celsius);
    TemperatureSensor* SensorAt(int index);

    std::string PrefsPath() const;

    TemporaryFolder mFolder;
    FixtureSensorRegistry* mRegistry = nullptr;
    std::vector<SensorRegistry::EntryID> mEntries;
};
