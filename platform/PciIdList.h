// The names of PCI vendors and devices from the system's PCI ID list (the pci.ids file of the pciutils and
// hwdata packages), for telling the user which card a sensor sits on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class PciIdList {
public:
    // The list below root (/usr/share/misc/pci.ids, else /usr/share/hwdata/pci.ids); an empty one when neither
    // is installed or usable. Reads the file: call it off the event loop.
    static PciIdList Load(const std::string& root);
    // A list of the given text, in the file's format.
    explicit PciIdList(std::string text = {});

    bool IsEmpty() const { return mText.empty(); }
    // The vendor's name; nullopt when the list does not know the vendor.
    std::optional<std::string> VendorName(uint16_t vendor) const;
    // The device's name; nullopt when the list does not know the vendor or this device of it.
    std::optional<std::string> DeviceName(uint16_t vendor, uint16_t device) const;

    // No system's list comes near this size (pci.ids is about 1.4 MB); a larger file is no list.
    static constexpr size_t kMostFileBytes = 16 << 20;

private:
    // Where the vendor's line starts (its devices follow), or npos.
    size_t FindVendor(uint16_t vendor) const;

    std::string mText;
};
