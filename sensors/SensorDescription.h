// What discovery finds of one sensor: the hardware it stands for, how it is read, and its limits.
#pragma once

#include "platform/SensorSource.h"

#include <cstdint>
#include <memory>
#include <string>

// The raw threshold value of a sensor that has no such threshold.
constexpr int32_t kNoThreshold = -12345;

struct SensorDescription {
    // Names the hardware the same way at every launch, whatever order discovery finds it in:
    // "hwmon:<device path>:<chip>:temp<N>" for a hardware monitor channel, "cpu-package:<id>" for a CPU
    // package, the PCI bus id ("0000:01:00.0") for an NVIDIA graphics card, "udisks2:<Id>" for a drive UDisks2
    // reads, "smc:<n>" for an SMC sensor, "registry:..." for entries of other registries.
    std::string key;
    // The name discovery gives: a channel's "<chip> <label>", "CPU temperature", ...
    std::string name;
    // Whether the name is the registry entry's "location" (types 1, 5 and 6).
    bool nameIsLocation = false;
    int32_t type = 0;
    // What the type reads: the registry entry, the processor number or the SMC sensor number.
    uint32_t source = 0;
    std::shared_ptr<SensorSource> reader;
    // Where the hardware sits, as a hardware monitor names it: the resolved device path below /sys
    // ("/sys/devices/platform/coretemp.0"; empty for hardware without one) and the channel's file name
    // ("temp2"). Another program that reads the same hardware (node_exporter) names it from these.
    std::string devicePath;
    std::string channel;
    // The device as its user knows it ("Samsung SSD 980 PRO 1TB, serial …6789"), from the device's files
    // below devicePath; empty when they say nothing usable.
    std::string deviceName;
    // Raw, in the type's unit. high is what warns: the channel's max, else its crit.
    int32_t lowThreshold = kNoThreshold;
    int32_t highThreshold = kNoThreshold;
    int32_t maxThreshold = kNoThreshold;
    int32_t critThreshold = kNoThreshold;
};
