#include "sensors/LimitWatch.h"

#include "framework/LException.h"
#include "platform/Notifier.h"
#include "prefs/KelvaraSettings.h"
#include "sensors/ExactTemperature.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "util/TemperatureUnits.h"

#include <utility>

namespace {

std::string Temperature(TemperatureSensor* sensor, int32_t raw)
{
    char text[kScaledTemperatureTextSize];
    sensor->ConvertRawTemperatureToString(raw, text);
    return text;
}

}

LimitWatch::LimitWatch(
    SensorMaster& sensors, Notifier& notifier, std::function<void(const std::string& summary)> onSummaryChanged)
    : mSensors(sensors)
    , mNotifier(notifier)
    , mOnSummaryChanged(std::move(onSummaryChanged))
{
    mSensors.AddListener(this);
    CheckAll();
}

void LimitWatch::ListenToMessage(MessageT message, void*)
{
    if (message == msg_SamplesRecorded)
        CheckAll();
}

void LimitWatch::CheckAll()
{
    SensorArray* list = mSensors.GetSensorArray();
    for (ArrayIndexT i = 1; i <= list->GetCount(); ++i) {
        // A sample is taken whatever the watch makes of it.
        LException::ReportAndDrop("checking a sensor's limit", [&] { Check(ThrowIfNil_((*list)[i])); });
    }
}

void LimitWatch::Check(TemperatureSensor* sensor)
{
    int32_t limit = sensor->GetRawHighThreshold();
    std::optional<int32_t> reading = sensor->GetCurrentReading();
    // Without a reading (none yet, silent, asleep) there is nothing at a limit.
    if (limit == kNoThreshold || !reading) {
        bool wasAtLimit = mAlarms.contains(sensor) && mAlarms[sensor].IsAtLimit();
        mAlarms.erase(sensor);
        if (wasAtLimit)
            SummaryChanged();
        return;
    }
    int32_t raw = *reading;
    int32_t type = sensor->GetSensorType();
    LimitAlarm& alarm = mAlarms[sensor];
    bool wasAtLimit = alarm.IsAtLimit();
    bool warn = alarm.Note(ConvertRawToExactCelsius(type, raw), ConvertRawToExactCelsius(type, limit));
    if (warn && KelvaraSettings::Get()->GetWarnAtLimits()) {
        mNotifier.Notify(sensor->GetShownName() + " has reached its limit",
            "It reads " + Temperature(sensor, raw) + "; its limit is " + Temperature(sensor, limit) + ".");
    }
    if (wasAtLimit || alarm.IsAtLimit())
        SummaryChanged();
}

std::string LimitWatch::MakeToolTip()
{
    std::string text = "Kelvara";
    SensorArray* list = mSensors.GetSensorArray();
    for (ArrayIndexT i = 1; i <= list->GetCount(); ++i) {
        TemperatureSensor* sensor = (*list)[i];
        auto found = mAlarms.find(sensor);
        if (found == mAlarms.end() || !found->second.IsAtLimit())
            continue;
        char value[kScaledTemperatureTextSize];
        sensor->GetSensorTemperatureAsString(value);
        text += "\n" + sensor->GetShownName() + ": " + value + " (limit "
            + Temperature(sensor, sensor->GetRawHighThreshold()) + ")";
    }
    return text;
}

void LimitWatch::SummaryChanged()
{
    if (mOnSummaryChanged)
        mOnSummaryChanged(MakeToolTip());
}
