// How a sensor's device is named from the files of a sysfs tree: drives by model and serial, PCI devices by
// the PCI ID list.
#include "platform/DeviceNames.h"
#include "tests/support/SysfsFixture.h"

#include <gtest/gtest.h>

namespace {

const std::string kNvme = "/sys/devices/pci0000:00/0000:00:01.1/0000:01:00.0/nvme/nvme0";
const std::string kSata = "/sys/devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0";
const std::string kGpu = "/sys/devices/pci0000:00/0000:00:03.1/0000:0a:00.0";
const std::string kPciIds = "# pci.ids\n"
                            "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n"
                            "\t73a5  Navi 21 [Radeon RX 6950 XT]\n"
                            "# a comment between devices\n"
                            "\t73bf  Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]\n"
                            "\t\t1002 0e3a  Radeon RX 6900 XT\n"
                            "10de  NVIDIA Corporation\n"
                            "\t2684  AD102 [GeForce RTX 4090]\n"
                            "C 03  Display controller\n";

// The page as the kernel gives it: peripheral type, page code 0x80, length, then the serial padded.
std::string SerialPage(const std::string& serial, char pageCode = '\x80')
{
    return std::string { '\0', pageCode, '\0', static_cast<char>(serial.size()) } + serial;
}

}

TEST(DeviceNames, NameDrivesByModelAndSerialTailAndPciDevicesByTheirIds)
{
    const struct {
        const char* name;
        std::string device;
        std::vector<std::pair<std::string, std::string>> files; // below the device's folder
        std::string pciIds; // at /usr/share/misc/pci.ids; none when empty
        std::string expected;
    } cases[] = {
        { "an NVMe drive", kNvme,
            { { "model", "Samsung SSD 980 PRO 1TB                 \n" }, { "serial", "S5GXNF0R123456A     \n" } }, "",
            "Samsung SSD 980 PRO 1TB, serial …456A" },
        { "an NVMe drive without a serial file is no drive we know", kNvme, { { "model", "WD_BLACK SN850X\n" } }, "",
            "" },
        { "an NVMe drive whose serial is a short one", kNvme, { { "model", "Drive\n" }, { "serial", "AB1\n" } }, "",
            "Drive, serial AB1" },
        { "a SATA drive by its vital product data", kSata,
            { { "model", "Samsung SSD 870 \n" }, { "vpd_pg80", SerialPage("S6PNNS0T604412K     ") } }, "",
            "Samsung SSD 870, serial …412K" },
        { "a serial page of another code gives the model alone", kSata,
            { { "model", "ST4000DM004-2CV1\n" }, { "vpd_pg80", SerialPage("ZFN0ABCD", '\x83') } }, "",
            "ST4000DM004-2CV1" },
        { "a serial page shorter than it says gives the model alone", kSata,
            { { "model", "ST4000DM004-2CV1\n" }, { "vpd_pg80", SerialPage("ZFN0ABCD").substr(0, 7) } }, "",
            "ST4000DM004-2CV1" },
        { "a model with control characters names nothing", kNvme,
            { { "model", "Evil\x1b[31mDrive\n" }, { "serial", "S5GXNF0R123456A\n" } }, "", "" },
        { "a model that is no UTF-8 names nothing", kNvme, { { "model", "Dr\xffive\n" }, { "serial", "1234567\n" } },
            "", "" },
        { "an empty model names nothing", kNvme, { { "model", "   \n" }, { "serial", "1234567\n" } }, "", "" },
        { "a graphics card named by the PCI ID list", kGpu, { { "vendor", "0x1002\n" }, { "device", "0x73bf\n" } },
            kPciIds,
            "Advanced Micro Devices, Inc. [AMD/ATI] Navi 21 [Radeon RX 6800/6800 XT / 6900 XT] (0000:0a:00.0)" },
        { "a device the list does not know keeps its id", kGpu, { { "vendor", "0x10de\n" }, { "device", "0x2204\n" } },
            kPciIds, "NVIDIA Corporation device 2204 (0000:0a:00.0)" },
        { "a subsystem id is no device id", kGpu, { { "vendor", "0x1002\n" }, { "device", "0x0e3a\n" } }, kPciIds,
            "Advanced Micro Devices, Inc. [AMD/ATI] device 0e3a (0000:0a:00.0)" },
        { "without a PCI ID list, the ids", kGpu, { { "vendor", "0x1002\n" }, { "device", "0x73bf\n" } }, "",
            "PCI device 1002:73bf (0000:0a:00.0)" },
        { "an odd vendor file names nothing", kGpu, { { "vendor", "AMD\n" }, { "device", "0x73bf\n" } }, kPciIds, "" },
        { "a platform device has no name of this kind", "/sys/devices/platform/coretemp.0",
            { { "vendor", "0x1002\n" }, { "device", "0x73bf\n" } }, kPciIds, "" },
        { "no device", "", {}, kPciIds, "" },
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        SysfsFixture sysfs;
        for (const auto& [file, text] : each.files)
            sysfs.Write(each.device.substr(1) + "/" + file, text);
        if (!each.pciIds.empty())
            sysfs.Write("usr/share/misc/pci.ids", each.pciIds);
        DeviceNames names(sysfs.Root());
        EXPECT_EQ(names.Describe(each.device), each.expected);
    }
}

// Debian's hwdata keeps the list in a folder of its own.
TEST(DeviceNames, FindTheListInHwdataToo)
{
    SysfsFixture sysfs;
    sysfs.Write(kGpu.substr(1) + "/vendor", "0x10de\n");
    sysfs.Write(kGpu.substr(1) + "/device", "0x2684\n");
    sysfs.Write("usr/share/hwdata/pci.ids", kPciIds);
    EXPECT_EQ(DeviceNames(sysfs.Root()).Describe(kGpu), "NVIDIA Corporation AD102 [GeForce RTX 4090] (0000:0a:00.0)");
}
