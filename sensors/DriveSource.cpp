#include "sensors/DriveSource.h"

#include <cmath>

SourceReading DriveSource::Read()
{
    std::optional<int32_t> raw = RawFromKelvin(mKelvin.load(std::memory_order_relaxed));
    return raw ? SourceReading::Of(*raw) : SourceReading::Failure();
}

std::optional<int32_t> DriveSource::RawFromKelvin(double kelvin)
{
    constexpr double kZeroCelsius = 273.15;
    constexpr double kLowest = -100.0;
    constexpr double kHighest = 300.0;
    if (!std::isfinite(kelvin) || kelvin == 0.0)
        return std::nullopt;
    double celsius = kelvin - kZeroCelsius;
    if (celsius < kLowest || celsius > kHighest)
        return std::nullopt;
    return static_cast<int32_t>(std::lround(celsius * 65536.0));
}

std::string DriveSource::Name(const std::string& model, const std::string& serial)
{
    std::string name = model.empty() ? "Drive" : model;
    if (serial.empty())
        return name;
    // The last four characters, not bytes: a UTF-8 character is never cut.
    size_t start = serial.size();
    for (int characters = 0; characters < 4 && start > 0;) {
        --start;
        if ((static_cast<unsigned char>(serial[start]) & 0xC0) != 0x80)
            ++characters;
    }
    return name + " (" + serial.substr(start) + ")";
}
