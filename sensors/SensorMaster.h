// Finds every temperature sensor of the machine when first used, gives each its index, and owns them.
#pragma once

#include "framework/LArray.h"

#include <cstdint>

class TemperatureSensor;

using SensorArray = TArray<TemperatureSensor*>;

class SensorMaster {
public:
    // The singleton; the first call runs discovery.
    static SensorMaster* Get();
    // For tests: deletes the singleton (its sensors save their files) so that the next Get discovers anew.
    static void DeleteInstanceForTesting();

    virtual ~SensorMaster();

    SensorArray* GetSensorArray() { return &mSensors; }
    int16_t GetSensorCount() const { return static_cast<int16_t>(mSensors.GetCount()); }
    uint32_t GetSamplesOfFirstSensor() const;

    // Deletes every sensor, each of which saves its data file; the list stays, empty.
    void TerminateAndSaveData();

private:
    SensorMaster();
    void DiscoverRegistrySensors(int16_t& nextIndex);
    void DiscoverProcessorSensors(int16_t& nextIndex);
    void DiscoverSMCSensors(int16_t& nextIndex);
    void Append(TemperatureSensor* sensor);

    SensorArray mSensors;
    static SensorMaster* sInstance;
};

// The kernel's processor temperatures: the number of processors it reports (0 on failure), and the
// reading of processor p in degrees Celsius (-1, all bits set, without a reading; 0 on failure or when
// p is out of range).
int32_t GetProcessorTempCount();
uint32_t GetProcessorTemp(int32_t processor);
// Whether processor p has a temperature sensor, even one that cannot be read at this moment.
bool ProcessorHasTemperatureSensor(int32_t processor);
