// The application object: starts the sensors, reads the preferences, re-opens the recorded windows and
// shows the live tile; at quit it records the open windows and makes every sensor save its data file.
#pragma once

#include "framework/LApplication.h"

class ComparisonMaster;
class DockIcon;
class SensorMaster;

// Commands of the application.
constexpr CommandT cmd_NewGraphWindow = 2;
constexpr CommandT cmd_NewDataWindow = FourCC("RawD");
constexpr CommandT cmd_WelcomeWindow = FourCC("Hard");
constexpr CommandT cmd_CompareMachines = FourCC("Comp");

class Kelvara : public LApplication {
public:
    // Alerts, layouts and the start-up rule of the first run.
    static constexpr int16_t kNoSensorsAlert = 130;
    static constexpr int16_t kGraphWindowLayout = 128;
    static constexpr int16_t kDataWindowLayout = 129;
    static constexpr int16_t kWelcomeWindowLayout = 130;
    // The pane ID that layout 130 gives the first-run window.
    static constexpr PaneIDT kWelcomeWindowID = FourCC("Hard");
    static constexpr int16_t kAboutBoxLayout = 132;
    static constexpr int16_t kComparisonWindowLayout = 133;
    // Preferences created at most this long ago mean a first run.
    static constexpr uint32_t kFirstRunSeconds = 9;

    Kelvara();
    // Saves the preferences (recording the open windows), then every sensor's data file.
    ~Kelvara() override;

    void StartUp() override;
    bool ObeyCommand(CommandT command, void* parameter) override;
    void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, uint16_t& mark, Str255& name) override;

    SensorMaster* GetSensorMaster() const { return mSensorMaster; }
    ComparisonMaster* GetComparisonMaster() const { return mComparisonMaster; }
    DockIcon* GetDockIcon() const { return mDockIcon; }
    // Time from the preferences' creation to this launch.
    uint32_t SecondsSincePreferencesCreated() const;

    static void RegisterClasses();

protected:
    void ShowAboutBox() override;
    // Opens the preferences dialog, or brings the open one to the front.
    void DoPreferences() override;

private:
    void OpenRecordedDataWindows(bool firstRun);
    void OpenRecordedGraphWindows(bool firstRun);
    void NewDataWindow();
    void NewGraphWindow();
    // Opens the first-run window, or brings the open one to the front.
    void ShowWelcomeWindow();

    SensorMaster* mSensorMaster = nullptr;
    ComparisonMaster* mComparisonMaster = nullptr;
    DockIcon* mDockIcon = nullptr;
    uint32_t mLaunchSeconds = 0;
    // Only a program that read its preferences writes them back: one that failed before would replace
    // the user's settings with defaults.
    bool mStartedUp = false;
};
