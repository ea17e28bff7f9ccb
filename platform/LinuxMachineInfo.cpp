#include "platform/LinuxMachineInfo.h"

#include "platform/SysfsFile.h"

#include "framework/PString.h"

#include <algorithm>
#include <sstream>
#include <unistd.h>

LinuxMachineInfo::LinuxMachineInfo(std::string root)
    : mRoot(std::move(root))
{
}

std::string LinuxMachineInfo::ModelIdentifier()
{
    for (const char* path : { "/sys/class/dmi/id/product_name", "/proc/device-tree/model" }) {
        auto text = SysfsFile::ReadTrimmed(SysfsFile::Join(mRoot, path));
        if (text && !text->empty())
            return std::string(TruncateUtf8(*text, 127));
    }
    return {};
}

uint32_t LinuxMachineInfo::ProcessorCount()
{
    long count = ::sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<uint32_t>(count) : 0;
}

int32_t LinuxMachineInfo::MaximumProcessorSpeedMHz()
{
    int64_t mhz = 0;
    auto kHz = SysfsFile::ReadInteger(SysfsFile::Join(mRoot, "/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq"));
    if (kHz && *kHz > 0) {
        mhz = *kHz / 1000;
    } else if (auto cpuinfo = SysfsFile::ReadText(SysfsFile::Join(mRoot, "/proc/cpuinfo"), 1 << 20)) {
        std::istringstream lines(*cpuinfo);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind("cpu MHz", 0) != 0)
                continue;
            size_t colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            double value = std::strtod(line.c_str() + colon + 1, nullptr);
            if (value > static_cast<double>(mhz) && value < 1e9)
                mhz = static_cast<int64_t>(value);
        }
    }
    return static_cast<int32_t>(std::clamp<int64_t>(mhz, 0, 32767));
}

bool LinuxMachineInfo::IsAppleHardware()
{
    auto vendor = SysfsFile::ReadTrimmed(SysfsFile::Join(mRoot, "/sys/class/dmi/id/sys_vendor"));
    if (vendor && vendor->starts_with("Apple"))
        return true;
    // A list of NUL-terminated names, one of them "MacRISC", "MacRISC2", ... on every PowerPC Mac.
    auto compatible = SysfsFile::ReadText(SysfsFile::Join(mRoot, "/proc/device-tree/compatible"), 4096);
    return compatible && compatible->find("MacRISC") != std::string::npos;
}
