// Builds fixture sysfs trees in a temporary folder, laid out as the kernel lays them out: hwmon chips and
// their temperature channels, the CPU topology, PCI devices, the applesmc device and the model identifier files.
#pragma once

#include "tests/support/TestFolders.h"

#include <cstdint>
#include <string>
#include <vector>

// The hwmonN folders are real folders in <root>/sys/class/hwmon, and their device links are relative
// (hwmon3/device -> ../../../devices/platform/coretemp.0), so HwmonFolder() also works on its own, bound
// over /sys/class/hwmon: the links then point into the real /sys/devices, where they may dangle, and the
// readers fall back to the hwmonN folder and its name file.
class SysfsFixture {
public:
    class Chip {
    public:
        // hwmonN/device, a link to <root>/sys/devices/<devicePath>, which is created.
        Chip& Device(const std::string& devicePath);
        // hwmonN/device, a link to <root>/sys/devices/<devicePath>, which is not created.
        Chip& DanglingDevice(const std::string& devicePath);
        Chip& Name(const std::string& name); // hwmonN/name
        Chip& DeviceName(const std::string& name); // hwmonN/device/name; Device() first
        // Channel files written after this go to hwmonN/device/, as older drivers keep them.
        Chip& ChannelsInDevice();

        // tempN_input, and tempN_label unless label is empty.
        Chip& Temp(int n, int64_t millidegrees, const std::string& label = {});
        // tempN_<suffix> with any text, for values that a driver or a damaged tree might hold.
        Chip& Attribute(int n, const std::string& suffix, const std::string& text);
        Chip& Min(int n, int64_t millidegrees) { return Attribute(n, "min", std::to_string(millidegrees) + "\n"); }
        Chip& Max(int n, int64_t millidegrees) { return Attribute(n, "max", std::to_string(millidegrees) + "\n"); }
        Chip& Crit(int n, int64_t millidegrees) { return Attribute(n, "crit", std::to_string(millidegrees) + "\n"); }
        Chip& Fault(int n, bool fault) { return Attribute(n, "fault", fault ? "1\n" : "0\n"); }
        // tempN_input as a folder: it opens, but every read of it fails.
        Chip& UnreadableInput(int n);
        // tempN_input as a named pipe that nobody writes: opening it blocks in the kernel, as a hung chip holds
        // a read. ReleaseInput lets the reader go (its read then finds nothing).
        Chip& BlockingInput(int n);
        void ReleaseInput(int n) const;

        // The path of tempN_<suffix> where this chip's channel files are written.
        std::string File(int n, const std::string& suffix) const;
        const std::string& Folder() const { return mFolder; }

    private:
        friend class SysfsFixture;
        Chip(std::string root, std::string folder);

        std::string mRoot;
        std::string mFolder;
        std::string mChannelFolder;
    };

    class AppleSMC {
    public:
        // A temperature key published as tempN_label (the key name) and tempN_input in the device folder.
        AppleSMC& Temp(int n, const std::string& key, int64_t millidegrees);
        // The same, in the device's hwmon/hwmon<hwmon> child folder.
        AppleSMC& HwmonTemp(int hwmon, int n, const std::string& key, int64_t millidegrees);
        // The driver's key files holding a single key: key_count 1, a regular key_at_index file, and
        // key_at_index_name, _type, _data_length and _data describing that key. A plain file cannot follow
        // the index written to it, so only a tree of one key is faithful.
        AppleSMC& SingleKey(const std::string& name, const std::string& type, const std::vector<uint8_t>& data);

        const std::string& Folder() const { return mFolder; }

    private:
        friend class SysfsFixture;
        explicit AppleSMC(std::string folder);

        std::string mFolder;
    };

    SysfsFixture() = default;

    // The folder to hand to the readers as their root.
    const std::string& Root() const { return mFolder.Path(); }
    std::string Path(const std::string& relative) const { return mFolder / relative; }
    std::string HwmonFolder() const { return mFolder / "sys/class/hwmon"; }

    // <root>/sys/class/hwmon/hwmon<number>; asking again for the same number gives the same chip.
    Chip AddChip(int number);
    // cpu<cpu>/topology/physical_package_id below <root>/sys/devices/system/cpu.
    void AddCpu(int cpu, int64_t packageID);
    // <root>/sys/devices/platform/applesmc.768.
    AppleSMC AddAppleSMC();
    // A PCI device folder, <root>/sys/devices/pci0000:00/<busId>, with its vendor, device and class files as
    // the kernel writes them ("0x10de", "0x2684", "0x030000"), linked from <root>/sys/bus/pci/devices/<busId>;
    // with its runtime power files (power/control, power/runtime_status) unless control is empty. Returns
    // the device folder.
    std::string AddPciDevice(const std::string& busId, uint32_t vendor, uint32_t device, uint32_t pciClass,
        const std::string& control = {}, const std::string& runtimeStatus = {});
    void SetProductName(const std::string& text); // DMI product_name, as written
    void SetDeviceTreeModel(const std::string& text); // the device tree's model, as written (NUL included)
    void Write(const std::string& relative, const std::string& text) const;

private:
    TemporaryFolder mFolder;
};
