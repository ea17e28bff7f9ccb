#include "prefs/PreferencesCheckpoint.h"

#include "framework/LException.h"
#include "prefs/Preferences.h"

PreferencesCheckpoint::PreferencesCheckpoint()
{
    StartIdling(kIntervalSeconds);
}

void PreferencesCheckpoint::SpendTime(const EventRecord&)
{
    LException::ReportAndDrop("saving the preferences", [] { Preferences::SavePrefs(); });
}
