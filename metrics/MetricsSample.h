// What the metrics say of one sensor, taken from its newest reading: nothing here waits on hardware.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A temperature in degrees Celsius, with the text that carries all of its recorded precision ("38.85").
struct MetricsTemperature {
    double celsius = 0;
    std::string text;
};

struct MetricsSample {
    // node_exporter's hwmon labels for the same hardware ("platform_coretemp_0", "temp2"), so that a query
    // can join both programs' series.
    std::string chip;
    std::string sensor;
    // The name Kelvara shows; any bytes.
    std::string name;
    // None while the source is silent, asleep or has no valid reading.
    std::optional<MetricsTemperature> temperature;
    // The channel's own max and crit (a graphics card's slowdown and shutdown thresholds).
    std::optional<MetricsTemperature> max;
    std::optional<MetricsTemperature> crit;
    // At or above the limit that warns.
    bool alarm = false;
    uint64_t readErrors = 0;
};
