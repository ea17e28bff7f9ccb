#include "app/LimitWatch.h"

#include "display/DockTile.h"
#include "framework/LException.h"
#include "platform/Notifier.h"
#include "prefs/KelvaraSettings.h"
#include "sensors/ExactTemperature.h"
#include "sensors/SensorMaster.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "util/TemperatureUnits.h"

namespace {

// The newest sample, or nullptr while the sensor has none.
const TempElement* NewestSample(TemperatureSensor* sensor)
{
    TempElementArray* history = sensor->GetSTTempArray();
    return history->GetCount() > 0 ? (*history)[1] : nullptr;
}

std::string Temperature(TemperatureSensor* sensor, int32_t raw)
{
    char text[kScaledTemperatureTextSize];
    sensor->ConvertRawTemperatureToString(raw, text);
    return text;
}

}

LimitWatch::LimitWatch(SensorMaster& sensors, Notifier& notifier)
    : mSensors(sensors)
    , mNotifier(notifier)
{
    SensorArray* list = mSensors.GetSensorArray();
    for (ArrayIndexT i = 1; i <= list->GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_((*list)[i]);
        sensor->AddListener(this);
        Check(sensor);
    }
}

void LimitWatch::ListenToMessage(MessageT message, void* parameter)
{
    if (message != msg_SampleTaken || parameter == nullptr)
        return;
    // A sample is taken whatever the watch makes of it.
    LException::ReportAndDrop("checking a sensor's limit", [&] { Check(static_cast<TemperatureSensor*>(parameter)); });
}

void LimitWatch::Check(TemperatureSensor* sensor)
{
    int32_t limit = sensor->GetRawHighThreshold();
    const TempElement* sample = NewestSample(sensor);
    if (limit == kNoThreshold || sample == nullptr) {
        mAlarms.erase(sensor);
        return;
    }
    int32_t raw = sample->GetRawTemperature();
    int32_t type = sensor->GetSensorType();
    LimitAlarm& alarm = mAlarms[sensor];
    bool wasAtLimit = alarm.IsAtLimit();
    bool warn = alarm.Note(ConvertRawToExactCelsius(type, raw), ConvertRawToExactCelsius(type, limit));
    if (warn && KelvaraSettings::Get()->GetWarnAtLimits()) {
        mNotifier.Notify(sensor->GetSensorName() + " has reached its limit",
            "It reads " + Temperature(sensor, raw) + "; its limit is " + Temperature(sensor, limit) + ".");
    }
    if (wasAtLimit || alarm.IsAtLimit())
        DockTile::Get()->SetToolTip(MakeToolTip());
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
        const TempElement* sample = NewestSample(sensor);
        text += "\n" + sensor->GetSensorName() + ": " + Temperature(sensor, sample->GetRawTemperature()) + " (limit "
            + Temperature(sensor, sensor->GetRawHighThreshold()) + ")";
    }
    return text;
}
