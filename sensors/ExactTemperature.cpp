#include "sensors/ExactTemperature.h"

#include "sensors/TemperatureSensor.h"

#include <charconv>
#include <cstdlib>
#include <regex>

namespace {

// Rounds numerator / denominator (denominator > 0) to the nearest whole number, halves away from zero.
int64_t RoundDivide(int64_t numerator, int64_t denominator)
{
    int64_t half = denominator / 2;
    return numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator);
}

// raw / denominator as the shortest decimal from which raw comes back.
std::string ShortestFixedPoint(int32_t raw, int64_t denominator)
{
    int64_t scale = 1;
    for (int digits = 0; digits <= 6; ++digits, scale *= 10) {
        int64_t value = RoundDivide(static_cast<int64_t>(raw) * scale, denominator);
        if (RoundDivide(value * denominator, scale) != raw)
            continue;
        std::string sign = value < 0 ? "-" : "";
        int64_t magnitude = std::llabs(value);
        std::string text = sign + std::to_string(magnitude / scale);
        if (digits > 0) {
            std::string fraction = std::to_string(magnitude % scale);
            text += "." + std::string(static_cast<size_t>(digits) - fraction.size(), '0') + fraction;
        }
        return text;
    }
    // Six decimals always tell two 16.16 values apart; this is not reached.
    return std::to_string(static_cast<double>(raw) / static_cast<double>(denominator));
}

}

double ConvertRawToExactCelsius(int32_t type, int32_t raw)
{
    switch (type) {
    case kSensorTypeRegistry:
    case kSensorTypeMaxim:
        return raw / 65536.0;
    case kSensorTypeCPUFan:
        return raw / 256.0;
    case kSensorTypeDiode:
        // The diode's linear mapping from counts 508..692 to 44..76 degrees, before any rounding.
        return 44.0 + (raw - 508.0) * 32.0 / 184.0;
    default:
        return raw;
    }
}

std::string FormatExactCelsius(int32_t type, int32_t raw)
{
    switch (type) {
    case kSensorTypeRegistry:
    case kSensorTypeMaxim:
        return ShortestFixedPoint(raw, 65536);
    case kSensorTypeCPUFan:
        return ShortestFixedPoint(raw, 256);
    case kSensorTypeDiode: {
        char text[32];
        auto [end, error] = std::to_chars(text, text + sizeof text, ConvertRawToExactCelsius(type, raw));
        return std::string(text, end);
    }
    default:
        return std::to_string(raw);
    }
}

int32_t SensorTypeOfName(std::string_view name)
{
    static const std::regex processor("CPU( [0-9]+)? temperature");
    static const std::regex smc("Thermal Sensor [0-9]+");
    std::string text(name);
    if (std::regex_match(text, processor))
        return kSensorTypeProcessor;
    if (std::regex_match(text, smc))
        return kSensorTypeSMC;
    if (text == "Core temperature")
        return kSensorTypeCPUCore;
    if (text == "Fan sensor temperature")
        return kSensorTypeCPUFan;
    return kSensorTypeRegistry;
}
