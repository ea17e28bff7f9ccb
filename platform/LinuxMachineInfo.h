// Machine facts from sysfs and procfs below a root folder ("/" in the program, a fixture tree in tests).
#pragma once

#include "platform/MachineInfo.h"

class LinuxMachineInfo : public MachineInfo {
public:
    explicit LinuxMachineInfo(std::string root);

    // product_name of the DMI tables, else the device tree's model (PowerPC), trailing white space removed.
    std::string ModelIdentifier() override;
    uint32_t ProcessorCount() override;
    // cpu0's cpuinfo_max_freq (kHz) / 1000, else the highest "cpu MHz" of /proc/cpuinfo, else 0.
    int32_t MaximumProcessorSpeedMHz() override;
    // The DMI tables name Apple as the maker, or (PowerPC) the device tree calls the machine MacRISC.
    bool IsAppleHardware() override;

private:
    std::string mRoot;
};
