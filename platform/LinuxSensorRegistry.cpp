#include "platform/LinuxSensorRegistry.h"

#include "platform/HwmonTree.h"
#include "platform/LinuxMachineInfo.h"
#include "platform/Millidegrees.h"
#include "platform/SysfsFile.h"
#include "platform/TemperatureInput.h"

#include "framework/PString.h"

#include <set>

namespace {

constexpr SensorRegistry::EntryID kPlatformEntry = 1;
constexpr SensorRegistry::EntryID kFirstChannelEntry = 2;
constexpr size_t kMaximumNameBytes = 255;

// No part of a computer has a limit outside this; drivers use values beyond it for "no limit" (NVMe
// drives report 65261.85 C), which must not be shown as a limit.
constexpr int64_t kLowestThreshold = -60000;
constexpr int64_t kHighestThreshold = 200000;

std::optional<int32_t> ReadThreshold(const std::string& path)
{
    auto millidegrees = Millidegrees::Reading(SysfsFile::ReadInteger(path));
    if (!millidegrees || *millidegrees < kLowestThreshold || *millidegrees > kHighestThreshold)
        return std::nullopt;
    return Millidegrees::ToFixed16(*millidegrees);
}

// Sensor names name the data files, so two channels must never share one: the later gets " 2", " 3", ...
// The suffix is kept whole when the name is cut to length, or the cut would bring the clash back.
std::string UniqueName(const std::string& wanted, std::set<std::string>& used)
{
    std::string base(TruncateUtf8(wanted, kMaximumNameBytes));
    std::string name = base;
    for (int copy = 2; used.contains(name); ++copy) {
        std::string suffix = " " + std::to_string(copy);
        name = std::string(TruncateUtf8(base, kMaximumNameBytes - suffix.size())) + suffix;
    }
    used.insert(name);
    return name;
}

}

struct LinuxSensorRegistry::Impl {
    struct Channel {
        std::string location;
        TemperatureInput input;
        std::optional<int32_t> lowThreshold;
        std::optional<int32_t> highThreshold;
        std::optional<int32_t> lastValue; // as a registry property, the last value published stays
    };

    std::string model;
    std::vector<Channel> channels;

    Channel* Find(EntryID entry)
    {
        if (entry < kFirstChannelEntry || entry - kFirstChannelEntry >= channels.size())
            return nullptr;
        return &channels[entry - kFirstChannelEntry];
    }
};

LinuxSensorRegistry::LinuxSensorRegistry(std::string root)
    : mImpl(std::make_unique<Impl>())
{
    mImpl->model = LinuxMachineInfo(root).ModelIdentifier();
    std::set<std::string> used;
    HwmonTree tree(root);
    for (const HwmonTree::Chip& chip : tree.Chips()) {
        // The applesmc chip is read through the SMC user client; listing it here too would show every
        // SMC temperature twice.
        if (chip.isAppleSMC)
            continue;
        for (const HwmonTree::Channel& channel : chip.temperatures) {
            if (channel.role != HwmonTree::Role::Sensor)
                continue;
            std::string label = channel.label.empty() ? "temp" + std::to_string(channel.number) : channel.label;
            auto max = ReadThreshold(channel.File("max"));
            mImpl->channels.push_back({
                UniqueName(chip.name + " " + label, used),
                TemperatureInput(channel.File("input"), channel.hasFault ? channel.File("fault") : std::string()),
                ReadThreshold(channel.File("min")),
                max ? max : ReadThreshold(channel.File("crit")),
                std::nullopt,
            });
        }
    }
}

LinuxSensorRegistry::~LinuxSensorRegistry() = default;

bool LinuxSensorRegistry::IterateEntries(std::vector<EntryID>& outEntries)
{
    outEntries.clear();
    outEntries.push_back(kPlatformEntry);
    for (size_t i = 0; i < mImpl->channels.size(); ++i)
        outEntries.push_back(kFirstChannelEntry + static_cast<EntryID>(i));
    return true;
}

std::optional<std::string> LinuxSensorRegistry::GetName(EntryID entry)
{
    if (entry == kPlatformEntry)
        return mImpl->model;
    if (mImpl->Find(entry))
        return "IOHWSensor";
    return std::nullopt;
}

std::optional<std::string> LinuxSensorRegistry::GetStringProperty(EntryID entry, std::string_view key)
{
    Impl::Channel* channel = mImpl->Find(entry);
    if (!channel)
        return std::nullopt;
    if (key == "IONameMatched")
        return "temp-sensor";
    if (key == "location")
        return channel->location;
    return std::nullopt;
}

std::optional<int32_t> LinuxSensorRegistry::GetSInt32Property(EntryID entry, std::string_view key)
{
    Impl::Channel* channel = mImpl->Find(entry);
    if (!channel)
        return std::nullopt;
    if (key == "current-value") {
        if (auto millidegrees = channel->input.ReadMillidegrees())
            channel->lastValue = Millidegrees::ToFixed16(*millidegrees);
        return channel->lastValue;
    }
    if (key == "low-threshold")
        return channel->lowThreshold;
    if (key == "high-threshold")
        return channel->highThreshold;
    return std::nullopt;
}
