#include "platform/LinuxProcessorTemperatures.h"

#include "platform/HwmonTree.h"
#include "platform/Millidegrees.h"
#include "platform/SysfsFile.h"

#include <map>
#include <set>

namespace {

constexpr int32_t kNoReading = -1;
// As for every channel: a limit outside this is a driver's "no limit".
constexpr int64_t kLowestLimit = -60000;
constexpr int64_t kHighestLimit = 200000;

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

std::optional<int32_t> ReadLimit(const std::string& path)
{
    auto millidegrees = Millidegrees::Reading(SysfsFile::ReadInteger(path));
    if (!millidegrees || *millidegrees < kLowestLimit || *millidegrees > kHighestLimit)
        return std::nullopt;
    return Millidegrees::ToWholeDegrees(*millidegrees);
}

struct FoundChannel {
    const HwmonTree::Chip* chip;
    const HwmonTree::Channel* channel;
    bool intel;
};

}

// The packages and their channels are found once per scan: a scan that finds a driver loaded anew makes a
// new reader.
LinuxProcessorTemperatures::LinuxProcessorTemperatures(std::string root)
{
    HwmonTree tree(root);
    std::map<int64_t, FoundChannel> intel; // by package id; the first in chip order wins
    std::vector<std::optional<FoundChannel>> amd; // one per AMD chip in chip order, empty when it has none
    for (const auto& chip : tree.Chips()) {
        if (chip.isAMDPackageChip)
            amd.emplace_back();
        for (const auto& channel : chip.temperatures) {
            if (channel.role == HwmonTree::Role::IntelPackage)
                intel.emplace(channel.packageID, FoundChannel { &chip, &channel, true });
            else if (channel.role == HwmonTree::Role::AMDPackage)
                amd.back() = FoundChannel { &chip, &channel, false };
        }
    }

    auto add = [this](int64_t id, std::optional<FoundChannel> found) {
        Package package;
        package.id = id;
        if (found) {
            const HwmonTree::Channel& channel = *found->channel;
            package.input.emplace(channel.File("input"), channel.hasFault ? channel.File("fault") : std::string());
            package.channel = { found->chip->devicePath, "temp" + std::to_string(channel.number) };
            if (found->intel) {
                package.highLimit = ReadLimit(channel.File("max"));
                if (!package.highLimit)
                    package.highLimit = ReadLimit(channel.File("crit"));
            }
        }
        mPackages.push_back(std::move(package));
    };

    std::set<int64_t> ids = PackageIDs(root);
    if (ids.empty()) {
        // Without the CPU topology every package channel found stands for one package.
        for (const auto& [id, channel] : intel)
            add(id, channel);
        int64_t next = intel.empty() ? 0 : intel.rbegin()->first + 1;
        for (const auto& channel : amd) {
            if (channel)
                add(next++, channel);
        }
        return;
    }
    size_t position = 0;
    for (int64_t id : ids) {
        std::optional<FoundChannel> found;
        if (auto intelChannel = intel.find(id); intelChannel != intel.end())
            found = intelChannel->second;
        else if (position < amd.size())
            found = amd[position];
        add(id, found);
        ++position;
    }
}

bool LinuxProcessorTemperatures::Read(std::vector<int32_t>& outReadings)
{
    outReadings.clear();
    for (int32_t p = 0; p < Count(); ++p) {
        SourceReading reading = ReadProcessor(p);
        outReadings.push_back(reading.IsValid() ? reading.raw : kNoReading);
    }
    return true;
}

SourceReading LinuxProcessorTemperatures::ReadProcessor(int32_t processor)
{
    if (!HasTemperatureSensor(processor))
        return SourceReading::Failure();
    std::optional<int64_t> millidegrees = mPackages[static_cast<size_t>(processor)].input->ReadMillidegrees();
    return millidegrees ? SourceReading::Of(Millidegrees::ToWholeDegrees(*millidegrees)) : SourceReading::Failure();
}

bool LinuxProcessorTemperatures::HasTemperatureSensor(int32_t processor)
{
    return processor >= 0 && static_cast<size_t>(processor) < mPackages.size()
        && mPackages[static_cast<size_t>(processor)].input.has_value();
}

std::optional<int32_t> LinuxProcessorTemperatures::HighLimit(int32_t processor)
{
    if (processor < 0 || static_cast<size_t>(processor) >= mPackages.size())
        return std::nullopt;
    return mPackages[static_cast<size_t>(processor)].highLimit;
}

ProcessorTemperatures::Channel LinuxProcessorTemperatures::ChannelOf(int32_t processor)
{
    if (processor < 0 || static_cast<size_t>(processor) >= mPackages.size())
        return {};
    return mPackages[static_cast<size_t>(processor)].channel;
}

int64_t LinuxProcessorTemperatures::PackageID(int32_t processor)
{
    if (processor < 0 || static_cast<size_t>(processor) >= mPackages.size())
        return processor;
    return mPackages[static_cast<size_t>(processor)].id;
}
