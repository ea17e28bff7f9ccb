// Dates, folders, the machine's model, unit conversions and the hand-off of URLs.
#include "platform/Clock.h"
#include "platform/LinuxMachineInfo.h"
#include "platform/Millidegrees.h"
#include "platform/URLLauncher.h"
#include "platform/UserFolders.h"
#include "tests/support/SysfsFixture.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <limits>
#include <map>

using namespace std::string_literals;

TEST(Clock, DatesCountFrom1904InLocalTime)
{
    EXPECT_EQ(LinuxClock::DateTimeFromUnix(0, 0), 2082844800u); // 1970-01-01 00:00 UTC
    EXPECT_EQ(LinuxClock::DateTimeFromUnix(0, 3600), 2082848400u) << "an hour east of UTC is an hour later";
    EXPECT_EQ(LinuxClock::DateTimeFromUnix(2212122496, 0), 0u) << "the 32-bit date wraps in 2040, unsigned";
}

TEST(UserFolders, PreferencesFolderFollowsXdgConfigHome)
{
    std::map<std::string, std::string> environment { { "HOME", "/home/ada" } };
    LinuxUserFolders folders([&](const char* name) -> const char* {
        auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    });
    EXPECT_EQ(folders.PreferencesFolder(), "/home/ada/.config");
    environment["XDG_CONFIG_HOME"] = "/tmp/config";
    EXPECT_EQ(folders.PreferencesFolder(), "/tmp/config");
    environment["XDG_CONFIG_HOME"] = "relative/config"; // ignored, as the base-directory rules say
    EXPECT_EQ(folders.PreferencesFolder(), "/home/ada/.config");
}

TEST(LinuxMachineInfo, ModelAndMakerFromDMIOrTheDeviceTree)
{
    const struct {
        const char* what;
        std::string productName, deviceTreeModel, vendor, compatible; // empty: no file
        std::string model;
        bool apple;
    } cases[] = {
        { "DMI name with trailing white space, an Intel Mac", "MacPro1,1 \t\n", "", "Apple Inc.\n", "", "MacPro1,1",
            true },
        { "device tree model ends in NUL, a PowerPC Mac", "", "PowerMac7,2\0"s, "",
            "PowerMac7,2\0MacRISC4\0Power Macintosh\0"s, "PowerMac7,2", true },
        { "DMI wins over the device tree, an older Intel Mac", "MacBookPro5,1\n", "PowerMac7,2\0"s,
            "Apple Computer, Inc.\n", "", "MacBookPro5,1", true },
        { "blank DMI name leaves the device tree, a PC", " \n", "PowerMac11,2\0"s, "ASUSTeK COMPUTER INC.\n", "",
            "PowerMac11,2", false },
        { "a board with a device tree", "", "", "", "raspberrypi,4-model-b\0brcm,bcm2711\0"s, "", false },
        { "nothing to tell", "", "", "", "", "", false },
        { "cut to 127 bytes", std::string(200, 'M') + "\n", "", "", "", std::string(127, 'M'), false },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        SysfsFixture tree;
        for (auto [path, text] : { std::pair { "sys/class/dmi/id/product_name", &row.productName },
                 { "proc/device-tree/model", &row.deviceTreeModel }, { "sys/class/dmi/id/sys_vendor", &row.vendor },
                 { "proc/device-tree/compatible", &row.compatible } })
            if (!text->empty())
                tree.Write(path, *text);
        EXPECT_EQ(LinuxMachineInfo(tree.Root()).ModelIdentifier(), row.model);
        EXPECT_EQ(LinuxMachineInfo(tree.Root()).IsAppleHardware(), row.apple);
    }
}

TEST(Millidegrees, Conversions)
{
    constexpr int64_t huge = std::numeric_limits<int64_t>::max();
    const struct {
        int64_t millidegrees;
        int32_t fixed16, whole;
        int16_t sp78;
    } cases[] = {
        // 131.072 and 0.512: to the nearest; the sources' own tests see the rest of the rounding.
        { 2, 131, 0, 1 },
        { huge, INT32_MAX, INT32_MAX, INT16_MAX },
        { -huge, INT32_MIN, INT32_MIN, INT16_MIN },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.millidegrees);
        EXPECT_EQ(Millidegrees::ToFixed16(row.millidegrees), row.fixed16);
        EXPECT_EQ(Millidegrees::ToWholeDegrees(row.millidegrees), row.whole);
        EXPECT_EQ(Millidegrees::ToSP78(row.millidegrees), row.sp78);
    }
}

TEST(URLLauncher, HandOffEncodesWhatAURLMust)
{
    const struct {
        const char* name;
        std::string text, url;
        bool decodesToText; // not for a text that was a URL already
    } cases[] = {
        { "mail body keeps every byte", "mailto:r@k.example?Subject=A Record&Body=x\ny&Key=1#2 50%+é=",
            "mailto:r@k.example?Subject=A%20Record&Body=x%0Ay%26Key%3D1%232%2050%25%2B%C3%A9%3D", true },
        { "mail fields before the body", "mailto:r@k.example?cc=a@b&Body=z", "mailto:r@k.example?cc=a%40b&Body=z",
            true },
        { "mail without fields", "mailto:records@kelvara.example", "mailto:records@kelvara.example", true },
        { "web page keeps its encoding", "https://kelvara.example/a b?x=1&y=%41#top",
            "https://kelvara.example/a%20b?x=1&y=%41#top", false },
        { "stray percent in a web page", "http://kelvara.example/100%", "http://kelvara.example/100%25", true },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::string url = URLLauncher::EncodeForHandOff(row.text);
        EXPECT_EQ(url, row.url);
        if (row.decodesToText) {
            EXPECT_EQ(QByteArray::fromPercentEncoding(QByteArray::fromStdString(url)).toStdString(), row.text);
        }
    }
}
