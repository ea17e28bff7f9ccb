// The sensors' newest readings as the metrics show them, under the labels node_exporter's hwmon collector
// gives the same hardware. It only looks at what the sensors already hold.
#pragma once

#include "metrics/MetricsReadings.h"

#include <string>

class SensorMaster;
class TemperatureSensor;

class SensorMetricsFeed : public MetricsReadings {
public:
    explicit SensorMetricsFeed(SensorMaster& sensors);

    std::vector<MetricsSample> NewestReadings() const override;

    // The chip and sensor labels of a sensor, from where its hardware sits: a hardware monitor channel and
    // a CPU package read from one by the chip's device (or, without a device, the chip's name, from its key
    // "hwmon:virtual:<chip>:tempN") and the channel; a graphics card by its PCI device, as "temp1"; a drive
    // that UDisks2 reports ("udisks2:<Id>") as "udisks2_<Id>", "temp1"; anything else by its key.
    static void DeriveLabels(
        const std::string& key, const std::string& devicePath, const std::string& channel, MetricsSample& sample);
    static MetricsSample Describe(TemperatureSensor& sensor);

private:
    SensorMaster& mSensors;
};
