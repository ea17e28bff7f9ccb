// The NVIDIA graphics cards of the machine, found in sysfs (below a root folder) rather than through NVIDIA's
// library: every PCI device with vendor 0x10de and a display class. Reading these files, and the cards'
// runtime power files, never wakes a card.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class NvidiaCardList {
public:
    struct Card {
        std::string busId; // as sysfs writes it, lower case: "0000:01:00.0"
        std::string folder; // <root>/sys/bus/pci/devices/<busId>
        // The resolved device path below the root ("/sys/devices/pci0000:00/0000:00:01.0/0000:01:00.0"); empty
        // when the entry does not resolve.
        std::string devicePath;
        uint32_t deviceId = 0; // the PCI device id ("0x2684")
    };

    static constexpr uint32_t kVendorNvidia = 0x10de;

    // Every card, by bus id.
    static std::vector<Card> Find(const std::string& root);

    // Whether the card sleeps now, or is on its way to: power/runtime_status reads "suspended" or "suspending".
    static bool IsAsleep(const Card& card);
    // Whether runtime power management is on for the card (power/control reads "auto", as on laptops): it
    // sleeps whenever nothing holds it, and an open NVML handle would.
    static bool SleepsWhenIdle(const Card& card);
};
