// The application object: starts the sensors (and, as the program grows, the preferences and windows),
// and at quit makes every sensor save its data file.
#pragma once

#include "framework/LApplication.h"

class SensorMaster;

class Kelvara : public LApplication {
public:
    // The alert shown when the machine has no readable sensor.
    static constexpr int16_t kNoSensorsAlert = 130;

    Kelvara();
    // Saves the preferences, then every sensor's data file.
    ~Kelvara() override;

    void StartUp() override;

    SensorMaster* GetSensorMaster() const { return mSensorMaster; }
    // Time from the preferences' creation to this launch; at most 9 seconds means a first run.
    uint32_t SecondsSincePreferencesCreated() const;

private:
    static void RegisterClasses();

    SensorMaster* mSensorMaster = nullptr;
    uint32_t mLaunchSeconds = 0;
    // Only a program that read its preferences writes them back: one that failed before would replace
    // the user's settings with defaults.
    bool mStartedUp = false;
};
