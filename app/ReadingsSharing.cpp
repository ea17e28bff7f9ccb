#include "app/ReadingsSharing.h"

#include "platform/Notifier.h"
#include "prefs/KelvaraSettings.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"

#include <cstdio>

ReadingsSharing::ReadingsSharing(SensorMaster& sensors, Notifier& notifier, Overrides overrides, std::string version)
    : mNotifier(notifier)
    , mOverrides(std::move(overrides))
    , mFeed(sensors)
    , mSharing(mFeed, std::move(version))
{
    sensors.AddListener(this);
    Preferences::Get()->AddListener(this);
    Apply();
}

bool ReadingsSharing::Choose(MetricsChoices& choices, std::string& error) const
{
    KelvaraSettings* settings = KelvaraSettings::Get();
    choices.tokenFile = mOverrides.tokenFile.value_or(settings->GetMetricsTokenFile());
    choices.file = mOverrides.file.value_or(settings->GetMetricsFile());
    choices.listen.reset();
    if (!mOverrides.listen && !settings->GetShareReadings())
        return true;
    std::string text = mOverrides.listen.value_or(settings->GetMetricsListen());
    choices.listen = MetricsAddress::Parse(text, error);
    return choices.listen.has_value();
}

void ReadingsSharing::Apply()
{
    MetricsChoices choices;
    std::string error;
    bool chosen = Choose(choices, error);
    std::string key = (choices.listen ? choices.listen->ToString() : "-") + "\n" + choices.tokenFile + "\n"
        + choices.file + "\n" + error;
    if (mApplied == key)
        return;
    mApplied = key;
    if (!chosen) {
        mSharing.Apply(choices, error);
        Tell("The readings are not shared with Prometheus: " + error + ".");
        return;
    }
    if (!mSharing.Apply(choices, error))
        Tell("The readings are not shared with Prometheus: " + error + ".");
    else if (choices.listen)
        std::fprintf(
            stderr, "Kelvara: serving the readings at http://%s/metrics\n", choices.listen->ToString().c_str());
}

void ReadingsSharing::ListenToMessage(MessageT message, void*)
{
    if (message == msg_SamplesRecorded)
        mSharing.SampleRecorded();
    else if (message == msg_PrefsChanged)
        Apply();
}

void ReadingsSharing::Tell(const std::string& problem)
{
    std::fprintf(stderr, "Kelvara: %s\n", problem.c_str());
    mNotifier.Notify("Kelvara", problem);
}
