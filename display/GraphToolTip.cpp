#include "display/GraphToolTip.h"

#include "display/GraphTimeTexts.h"
#include "display/SampleTimes.h"
#include "framework/LException.h"
#include "framework/UColorContrast.h"
#include "sensors/TempElement.h"
#include "sensors/TemperatureSensor.h"
#include "util/SensorColors.h"
#include "util/TemperatureUnits.h"

#include <QColor>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// A time within this of a sample is that sample's time.
constexpr int64_t kSampleReachSeconds = 60;

std::string HtmlEscaped(const std::string& text)
{
    return QString::fromStdString(text).toHtmlEscaped().toStdString();
}

}

int32_t GraphToolTip::PositionNear(TemperatureSensor& sensor, const SampleTimes& times, int64_t secondsAgo)
{
    const int32_t count = sensor.GetLTTempArray()->GetCount();
    int32_t low = 0;
    int32_t high = count;
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (times.SecondsAgo(sensor, middle) < secondsAgo)
            low = middle + 1;
        else
            high = middle;
    }
    int32_t best = -1;
    int64_t distance = kSampleReachSeconds + 1;
    for (int32_t position : { low - 1, low }) {
        if (position < 0 || position >= count)
            continue;
        int64_t away = std::abs(times.SecondsAgo(sensor, position) - secondsAgo);
        if (away < distance) {
            distance = away;
            best = position;
        }
    }
    return best;
}

std::string GraphToolTip::Text(const TArray<TemperatureSensor*>& sensors, const SampleTimes& times, int64_t secondsAgo,
    uint32_t now, const RGBColor& background)
{
    std::string text = "<p style='white-space:pre'>" + GraphTimeTexts::TimeAgo(secondsAgo) + " ("
        + GraphTimeTexts::ClockTime(static_cast<uint32_t>(now - secondsAgo), now) + ")";
    struct Reading {
        int32_t celsius;
        std::string line;
    };
    std::vector<Reading> readings;
    for (ArrayIndexT i = 1; i <= sensors.GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_(sensors[i]);
        int32_t position = PositionNear(*sensor, times, secondsAgo);
        if (position < 0)
            continue;
        int32_t raw = ThrowIfNil_((*sensor->GetLTTempArray())[position + 1])->GetRawTemperature();
        char value[kScaledTemperatureTextSize];
        sensor->ConvertRawTemperatureToString(raw, value);
        RGBColor color = UColorContrast::LegibleOn(GetSensorIndexColor(sensor->GetSensorIndex()), background);
        readings.push_back({ sensor->ConvertRawToCelcius(raw),
            "<br><span style='color:" + UColorContrast::ToQColor(color).name().toStdString() + "'>"
                + HtmlEscaped(sensor->GetShownName()) + ": " + HtmlEscaped(value) + "</span>" });
    }
    std::stable_sort(
        readings.begin(), readings.end(), [](const Reading& a, const Reading& b) { return a.celsius > b.celsius; });
    for (const Reading& reading : readings)
        text += reading.line;
    return text + "</p>";
}
