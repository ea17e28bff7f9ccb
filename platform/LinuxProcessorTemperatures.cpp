#include "platform/LinuxProcessorTemperatures.h"

#include "platform/HwmonTree.h"
#include "platform/Millidegrees.h"
#include "platform/SysfsFile.h"

#include <map>
#include <set>

namespace {

constexpr int32_t kNoReading = -1;

std::set<int64_t> PackageIDs(const std::string& root)
{
    std::set<int64_t> ids;
    std::string folder = SysfsFile::Join(root, "/sys/devices/system/cpu");
    for (const std::string& name : SysfsFile::List(folder)) {
        if (!SysfsFile::NumberInName(name, "cpu", ""))
            continue;
        if (auto id = SysfsFile::ReadInteger(folder + "/" + name + "/topology/physical_package_id"))
            ids.insert(*id);
    }
    return ids;
}

TemperatureInput Open(const HwmonTree::Channel& channel)
{
    return TemperatureInput(channel.File("input"), channel.hasFault ? channel.File("fault") : std::string());
}

}

// The packages and their channels are found once: CPU packages do not come and go while the program runs.
LinuxProcessorTemperatures::LinuxProcessorTemperatures(std::string root)
{
    HwmonTree tree(root);
    std::map<int64_t, const HwmonTree::Channel*> intel; // by package id; the first in chip order wins
    std::vector<const HwmonTree::Channel*> amd; // one per AMD chip in chip order, null when it has none
    for (const auto& chip : tree.Chips()) {
        if (chip.isAMDPackageChip)
            amd.push_back(nullptr);
        for (const auto& channel : chip.temperatures) {
            if (channel.role == HwmonTree::Role::IntelPackage)
                intel.emplace(channel.packageID, &channel);
            else if (channel.role == HwmonTree::Role::AMDPackage)
                amd.back() = &channel;
        }
    }

    std::set<int64_t> ids = PackageIDs(root);
    if (ids.empty()) {
        // Without the CPU topology every package channel found stands for one package.
        for (const auto& [id, channel] : intel)
            mPackages.emplace_back(Open(*channel));
        for (const auto* channel : amd) {
            if (channel)
                mPackages.emplace_back(Open(*channel));
        }
        return;
    }
    size_t position = 0;
    for (int64_t id : ids) {
        const HwmonTree::Channel* channel = nullptr;
        if (auto found = intel.find(id); found != intel.end())
            channel = found->second;
        else if (position < amd.size())
            channel = amd[position];
        if (channel)
            mPackages.emplace_back(Open(*channel));
        else
            mPackages.emplace_back(std::nullopt);
        ++position;
    }
}

bool LinuxProcessorTemperatures::Read(std::vector<int32_t>& outReadings)
{
    outReadings.clear();
    for (auto& package : mPackages) {
        std::optional<int64_t> millidegrees = package ? package->ReadMillidegrees() : std::nullopt;
        outReadings.push_back(millidegrees ? Millidegrees::ToWholeDegrees(*millidegrees) : kNoReading);
    }
    return true;
}

bool LinuxProcessorTemperatures::HasTemperatureSensor(int32_t processor)
{
    return processor >= 0 && static_cast<size_t>(processor) < mPackages.size()
        && mPackages[static_cast<size_t>(processor)].has_value();
}
