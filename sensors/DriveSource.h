// A drive's temperature as UDisks2 publishes it (SMART attribute, in kelvin). UDisks2 refreshes it about every
// 10 minutes on its own and leaves sleeping drives alone, so a read only looks at the newest published value,
// which the D-Bus listener sets from its own thread: reading never touches the drive or the bus.
#pragma once

#include "platform/SensorSource.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

class DriveSource : public SensorSource {
public:
    // The newest value UDisks2 published; 0 means it has none (yet, or any more: the drive went).
    void Publish(double kelvin) { mKelvin.store(kelvin, std::memory_order_relaxed); }

    SourceReading Read() override;

    // Kelvin as 16.16 fixed point degrees Celsius; nullopt for UDisks2's "no value" (0), for what is no
    // number and for what no drive reads (outside -100 to 300 C).
    static std::optional<int32_t> RawFromKelvin(double kelvin);
    // A drive's sensor name: "<Model> (<last 4 characters of the serial>)".
    static std::string Name(const std::string& model, const std::string& serial);

private:
    std::atomic<double> mKelvin { 0.0 };
};
