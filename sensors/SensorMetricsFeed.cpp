#include "sensors/SensorMetricsFeed.h"

#include "metrics/NodeExporterLabels.h"
#include "sensors/ExactTemperature.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"

namespace {

constexpr std::string_view kHwmonVirtualKey = "hwmon:virtual:";
constexpr std::string_view kDriveKey = "udisks2:";

// The name the metrics give a sensor: the one Kelvara shows.
std::string ShownName(const TemperatureSensor& sensor)
{
    return sensor.GetShownName();
}

std::optional<MetricsTemperature> Temperature(int32_t type, int32_t raw)
{
    return MetricsTemperature { ConvertRawToExactCelsius(type, raw), FormatExactCelsius(type, raw) };
}

std::optional<MetricsTemperature> Limit(int32_t type, int32_t raw)
{
    if (raw == kNoThreshold)
        return std::nullopt;
    return Temperature(type, raw);
}

}

SensorMetricsFeed::SensorMetricsFeed(SensorMaster& sensors)
    : mSensors(sensors)
{
}

std::vector<MetricsSample> SensorMetricsFeed::NewestReadings() const
{
    SensorArray* list = mSensors.GetSensorArray();
    std::vector<MetricsSample> samples;
    samples.reserve(static_cast<size_t>(list->GetCount()));
    for (ArrayIndexT i = 1; i <= list->GetCount(); ++i) {
        if (TemperatureSensor* sensor = (*list)[i])
            samples.push_back(Describe(*sensor));
    }
    return samples;
}

void SensorMetricsFeed::DeriveLabels(
    const std::string& key, const std::string& devicePath, const std::string& channel, MetricsSample& sample)
{
    sample.sensor = channel.empty() ? "temp1" : channel;
    if (key.starts_with(kDriveKey)) {
        sample.chip = NodeExporterLabels::ChipOfDrive(std::string_view(key).substr(kDriveKey.size()));
        return;
    }
    if (!devicePath.empty()) {
        sample.chip = NodeExporterLabels::ChipOfHwmon(devicePath, "");
        return;
    }
    if (key.starts_with(kHwmonVirtualKey)) {
        std::string_view chip = std::string_view(key).substr(kHwmonVirtualKey.size());
        chip = chip.substr(0, chip.rfind(':'));
        sample.chip = NodeExporterLabels::ChipOfHwmon("", chip);
        return;
    }
    // Hardware no hardware monitor lists (an SMC key, a Mac registry's entry): its key, cleaned the same way.
    size_t colon = key.find(':');
    sample.chip = NodeExporterLabels::CleanName(key.substr(0, colon));
    if (colon != std::string::npos && channel.empty())
        sample.sensor = NodeExporterLabels::CleanName(key.substr(colon + 1));
}

MetricsSample SensorMetricsFeed::Describe(TemperatureSensor& sensor)
{
    MetricsSample sample;
    DeriveLabels(sensor.GetStableKey(), sensor.GetDevicePath(), sensor.GetChannel(), sample);
    sample.name = ShownName(sensor);
    int32_t type = sensor.GetSensorType();
    std::optional<int32_t> reading = sensor.GetCurrentReading();
    if (reading)
        sample.temperature = Temperature(type, *reading);
    sample.max = Limit(type, sensor.GetRawMaxThreshold());
    sample.crit = Limit(type, sensor.GetRawCritThreshold());
    // The warnings' rule: a reading at or above the limit that warns.
    int32_t limit = sensor.GetRawHighThreshold();
    sample.alarm = reading && limit != kNoThreshold
        && ConvertRawToExactCelsius(type, *reading) >= ConvertRawToExactCelsius(type, limit);
    sample.readErrors = sensor.GetReadErrorCount();
    return sample;
}
