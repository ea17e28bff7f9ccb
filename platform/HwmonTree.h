// The kernel's hardware monitor chips (/sys/class/hwmon below a root folder) and their temperature
// channels, listed in an order that does not depend on the hwmonN numbers handed out at boot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class HwmonTree {
public:
    enum class Role {
        Sensor, // an ordinary temperature channel, listed by the registry
        IntelPackage, // coretemp "Package id p": the reading of CPU package p
        AMDPackage, // the channel that stands for a k10temp or zenpower chip's package
    };

    struct Channel {
        int number = 0; // N of tempN_input
        std::string folder; // the folder that holds tempN_input and its sibling files
        std::string label; // tempN_label, cleaned; empty when there is none or it is not UTF-8 at all
        bool hasFault = false;
        Role role = Role::Sensor;
        int64_t packageID = -1; // for IntelPackage: p of "Package id p"

        std::string File(const char* suffix) const; // folder/tempN_<suffix>
    };

    struct Chip {
        // hwmonN/name, else hwmonN/device/name, else the device's folder name ("0000:00:18.3"), else "hwmon"
        std::string name;
        std::string folder; // hwmonN
        std::string orderKey; // resolved device path, else resolved hwmonN
        // The resolved device path below the root ("/sys/devices/platform/coretemp.0"); empty without a device.
        // It names the hardware the same way at every boot, whatever hwmonN the chip got.
        std::string devicePath;
        // A graphics card's chip: reading it wakes the card when the card sleeps.
        bool onDisplayDevice = false;
        std::vector<Channel> temperatures; // by N
        bool isAppleSMC = false;
        bool isAMDPackageChip = false;
    };

    explicit HwmonTree(const std::string& root);

    // Every chip, in the stable order: by resolved device path, then by name.
    const std::vector<Chip>& Chips() const { return mChips; }

    // hwmonN/device/power/runtime_status: what a chip of a display device checks before each reading.
    static std::string SleepStatusFile(const Chip& chip) { return chip.folder + "/device/power/runtime_status"; }
    // Whether a runtime power status says the device sleeps ("suspended", or on its way: "suspending").
    static bool IsAsleep(const std::string& status);

    // The name of a chip that has neither a name file nor a device.
    static constexpr const char* kUnnamedChip = "hwmon";

private:
    std::vector<Chip> mChips;
};
