// The chip and sensor labels that node_exporter's hwmon collector gives a channel, so that Kelvara's series
// join node_exporter's on the same hardware.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace NodeExporterLabels {

// Lower case, every character outside [a-z0-9:_] replaced by one '_', then '_' trimmed from both ends.
std::string CleanName(std::string_view name);
// The chip of a device ("/sys/devices/platform/coretemp.0" gives "platform_coretemp_0",
// "/sys/devices/pci0000:00/0000:02:00.0" gives "pci0000:00_0000:02:00_0"); none when both of the device's
// last two path elements clean away to nothing.
std::optional<std::string> ChipOfDevice(std::string_view devicePath);
// A hardware monitor chip: by its device, else by its name.
std::string ChipOfHwmon(std::string_view devicePath, std::string_view chipName);
// A drive that UDisks2 reports, by its Id.
std::string ChipOfDrive(std::string_view driveId);

}
