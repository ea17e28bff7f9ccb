// One entry of the comparison database: a machine model (name, model identifier, processor speed, its
// sensors and the credits of the people who measured it) or a divider between groups of models.
#pragma once

#include "framework/LArray.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ComparisonSensor;

using ComparisonSensorArray = TArray<ComparisonSensor*>;

class ComparisonSystem {
public:
    static constexpr int kNameSize = 255;
    static constexpr int kIDSize = 255;
    static constexpr int kCreditsSize = 32000;

    // Reads one token array: name, model identifier, speed, sensor groups up to "SENSOREND", credits up
    // to "END"; or the divider "SYSTEM_DIVIDER", "END". Throws nilP for a speed of 0 and asrt for a sensor
    // whose minimum and maximum readings differ in number.
    explicit ComparisonSystem(const char* const* tokens);
    virtual ~ComparisonSystem();

    ComparisonSystem(const ComparisonSystem&) = delete;
    ComparisonSystem& operator=(const ComparisonSystem&) = delete;

    // Each copies its field into out, which holds at least kNameSize, kIDSize or kCreditsSize bytes, and
    // returns out.
    char* GetSystemName(char* out) const;
    char* GetSystemID(char* out) const;
    char* GetSystemCredits(char* out) const;

    int32_t GetSystemSpeed() const { return mSpeed; }
    ComparisonSensorArray* GetSensorArray() { return &mSensors; }
    // The lowest sensor minimum and highest sensor maximum, starting from 100 and 0: a system without
    // sensors gives 100 and 0.
    void GetSystemMinMaxC(int32_t& minimum, int32_t& maximum) const;

    bool IsDivider() const;

private:
    char mName[kNameSize] = {};
    char mID[kIDSize] = {};
    int32_t mSpeed = 0;
    ComparisonSensorArray mSensors;
    // Owns what mSensors lists, so that sensors read before a failure are released with the system.
    std::vector<std::unique_ptr<ComparisonSensor>> mOwnedSensors;
    // Held at its own length: a field of kCreditsSize bytes in each of 66 entries would keep 2 MB for
    // as long as the program runs.
    std::string mCredits;
};
