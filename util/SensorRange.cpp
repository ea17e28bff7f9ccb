#include "util/SensorRange.h"

#include "framework/LException.h"
#include "sensors/TemperatureSensor.h"

void GetMinMaxTemperaturesAsCelcius(const TArray<TemperatureSensor*>& sensors, int32_t& outMinimum, int32_t& outMaximum)
{
    outMinimum = 0;
    outMaximum = 0;
    bool first = true;
    for (ArrayIndexT i = 1; i <= sensors.GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_(sensors[i]);
        // A sensor that never read has no range: its 0 would pull the scale down to 0 C.
        if (!sensor->HasRecordedRange())
            continue;
        int32_t minimum = sensor->ConvertRawToCelcius(sensor->GetRawMinimumReading());
        int32_t maximum = sensor->ConvertRawToCelcius(sensor->GetRawMaximumReading());
        if (first || minimum < outMinimum)
            outMinimum = minimum;
        if (first || maximum > outMaximum)
            outMaximum = maximum;
        first = false;
    }
}
