// The system's list of PCI vendor and device names (pci.ids, from the pciutils or hwdata package), where it is
// installed: what names a device without asking its driver, and so without waking it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class PciIdList {
public:
    // The list's places below root: /usr/share/misc/pci.ids (Debian), else /usr/share/hwdata/pci.ids.
    explicit PciIdList(const std::string& root);

    // The device's name as the list gives it ("AD102 [GeForce RTX 4090]"); nullopt when the list is missing
    // or does not know the device.
    std::optional<std::string> DeviceName(uint32_t vendor, uint32_t device) const;
    // The vendor's name ("Advanced Micro Devices, Inc. [AMD/ATI]"); nullopt when the list is missing or does
    // not know the vendor.
    std::optional<std::string> VendorName(uint32_t vendor) const;

    // A graphics card's name from the list's entry: the product in brackets where the entry has one, with
    // the vendor's name in front ("NVIDIA GeForce RTX 4090"), else the whole entry after it.
    static std::string CardName(const std::string& vendorName, const std::string& entry);

private:
    std::string mFile;
};
