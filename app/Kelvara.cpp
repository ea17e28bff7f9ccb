#include "app/Kelvara.h"

#include "framework/LException.h"
#include "framework/UModalAlerts.h"
#include "platform/Platform.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"

Kelvara::Kelvara()
{
    RegisterClasses();
}

Kelvara::~Kelvara()
{
    // The preferences first, while the open windows still exist so that their state is recorded; then
    // every sensor's data file. A failure of one must not cost the other.
    if (mStartedUp)
        LException::ReportAndDrop("saving the preferences", [] { Preferences::SavePrefs(); });
    if (mSensorMaster != nullptr)
        mSensorMaster->TerminateAndSaveData();
}

void Kelvara::RegisterClasses()
{
    // The window and pane classes register here once the program has windows.
}

void Kelvara::StartUp()
{
    Preferences::Get();
    mLaunchSeconds = Platform::GetClock().GetDateTime();

    mSensorMaster = SensorMaster::Get();
    if (mSensorMaster->GetSensorCount() == 0)
        UModalAlerts::StopAlert(kNoSensorsAlert);

    Preferences::ReadPrefs();
    mStartedUp = true;
}

uint32_t Kelvara::SecondsSincePreferencesCreated() const
{
    // Unsigned, so that a clock set back reads as a long time rather than as a first run.
    return mLaunchSeconds - Preferences::Get()->GetCreationSeconds();
}
