#include "prefs/PreferencesCheckpoint.h"

#include "framework/LException.h"
#include "prefs/Preferences.h"

#include <cstdio>

PreferencesCheckpoint::PreferencesCheckpoint(FailureHandler onFailure)
    : mOnFailure(std::move(onFailure))
{
    StartIdling(kIntervalSeconds);
}

void PreferencesCheckpoint::SpendTime(const EventRecord&)
{
    try {
        Preferences::SavePrefs();
    } catch (const LException& error) {
        std::fprintf(stderr, "Kelvara: saving the preferences: %s\n", error.what());
        if (mOnFailure)
            mOnFailure(error);
    }
}
