#include "platform/LinuxMachineInfo.h"

#include "tests/support/SysfsFixture.h"

#include <gtest/gtest.h>

TEST(LinuxMachineInfo, ModelIdentifierSources)
{
    struct Row {
        const char* what;
        std::string productName; // empty: no file
        std::string deviceTreeModel; // empty: no file
        std::string expected;
    };
    for (const Row& row : std::initializer_list<Row> {
             { "DMI product name with trailing white space", "MacPro1,1 \t\n", "", "MacPro1,1" },
             { "device tree model ends in NUL", "", std::string("PowerMac7,2\0", 12), "PowerMac7,2" },
             { "DMI wins over the device tree", "MacBookPro5,1\n", std::string("PowerMac7,2\0", 12), "MacBookPro5,1" },
             { "blank DMI name leaves the device tree", " \n", std::string("PowerMac11,2\0", 13), "PowerMac11,2" },
             { "neither", "", "", "" },
             { "cut to 127 bytes", std::string(200, 'M') + "\n", "", std::string(127, 'M') },
         }) {
        SysfsFixture tree;
        if (!row.productName.empty())
            tree.SetProductName(row.productName);
        if (!row.deviceTreeModel.empty())
            tree.SetDeviceTreeModel(row.deviceTreeModel);
        EXPECT_EQ(LinuxMachineInfo(tree.Root()).ModelIdentifier(), row.expected) << row.what;
    }
}

TEST(LinuxMachineInfo, AppleHardwareByTheMakerOrTheDeviceTree)
{
    struct Row {
        const char* what;
        std::string vendor; // empty: no file
        std::string compatible; // empty: no file
        bool apple;
    };
    for (const Row& row : std::initializer_list<Row> {
             { "an Intel Mac", "Apple Inc.\n", "", true },
             { "an older Intel Mac", "Apple Computer, Inc.\n", "", true },
             { "a PowerPC Mac", "", std::string("PowerMac7,2\0MacRISC4\0Power Macintosh\0", 36), true },
             { "a PC", "ASUSTeK COMPUTER INC.\n", "", false },
             { "a board with a device tree", "", std::string("raspberrypi,4-model-b\0brcm,bcm2711\0", 35), false },
             { "nothing to tell", "", "", false },
         }) {
        SysfsFixture tree;
        if (!row.vendor.empty())
            tree.Write("sys/class/dmi/id/sys_vendor", row.vendor);
        if (!row.compatible.empty())
            tree.Write("proc/device-tree/compatible", row.compatible);
        EXPECT_EQ(LinuxMachineInfo(tree.Root()).IsAppleHardware(), row.apple) << row.what;
    }
}
