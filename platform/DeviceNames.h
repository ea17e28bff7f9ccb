// Names the device a hardware monitor belongs to, as its user knows it: a drive by its model and the tail of
// its serial number, a PCI card by its vendor's and its own name. So two identical drives can be told apart.
// Reads the device's files below a root folder ("/" in the program): call it off the event loop.
#pragma once

#include "platform/PciIdList.h"

#include <map>
#include <optional>
#include <string>

class DeviceNames {
public:
    // The PCI ID list is read when a PCI device first needs it.
    explicit DeviceNames(std::string root);

    // The device at devicePath ("/sys/devices/pci0000:00/0000:00:01.1/0000:01:00.0/nvme/nvme0"): an NVMe
    // drive by its model and serial files, a SATA drive by its model and the serial of its vital product data
    // (vpd_pg80), a PCI device by the names the PCI ID list gives its vendor and device ids (the ids themselves
    // when it has none), with its slot. Empty when the device's files are missing or hold nothing usable.
    std::string Describe(const std::string& devicePath);

    // How much of a serial number is shown: enough to tell drives of one batch apart.
    static constexpr size_t kSerialTail = 4;
    // A drive's line: "<model>, serial …<tail>", the model alone without a serial, empty without a model.
    static std::string DriveLine(const std::string& model, const std::string& serial);

private:
    std::string DescribeDrive(const std::string& folder, const std::optional<std::string>& serial);
    std::string DescribePci(const std::string& folder);
    // The trimmed one-line text of a device's file, or nullopt when it is missing, empty or odd (control
    // characters, no UTF-8, far too long); an odd one is named on standard error.
    std::optional<std::string> ReadName(const std::string& path);
    std::optional<std::string> ReadSerialFromVpd(const std::string& path);

    std::string mRoot;
    std::optional<PciIdList> mPciIds;
    std::map<std::string, std::string> mDescribed;
};
