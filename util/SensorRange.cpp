#include "util/SensorRange.h"

#include "framework/LException.h"
#include "sensors/TemperatureSensor.h"

void GetMinMaxTemperaturesAsCelcius(const TArray<TemperatureSensor*>& sensors, int32_t& outMinimum, int32_t& outMaximum)
{
    if (sensors.IsEmpty()) {
        outMinimum = 0;
        outMaximum = 0;
        return;
    }
    for (ArrayIndexT i = 1; i <= sensors.GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_(sensors[i]);
        int32_t minimum = sensor->ConvertRawToCelcius(sensor->GetRawMinimumReading());
        int32_t maximum = sensor->ConvertRawToCelcius(sensor->GetRawMaximumReading());
        if (i == 1 || minimum < outMinimum)
            outMinimum = minimum;
        if (i == 1 || maximum > outMaximum)
            outMaximum = maximum;
    }
}
