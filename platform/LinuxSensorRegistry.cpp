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

// A channel by the hardware it belongs to: the device path, the chip's name (a device may carry more than
// one chip) and the channel's number. A chip without a device has only its name to go by.
std::string ChannelKey(const HwmonTree::Chip& chip, const HwmonTree::Channel& channel)
{
    std::string device = chip.devicePath.empty() ? "virtual" : chip.devicePath;
    return "hwmon:" + device + ":" + chip.name + ":temp" + std::to_string(channel.number);
}

std::string UniqueKey(const std::string& wanted, std::set<std::string>& used)
{
    std::string key = wanted;
    for (int copy = 2; used.contains(key); ++copy)
        key = wanted + "#" + std::to_string(copy);
    used.insert(key);
    return key;
}

}

struct LinuxSensorRegistry::Impl {
    struct Channel {
        std::string location;
        std::string key;
        std::string devicePath;
        std::string channel;
        TemperatureInput input;
        std::optional<int32_t> lowThreshold;
        std::optional<int32_t> maxThreshold;
        std::optional<int32_t> critThreshold;
        // A graphics card's runtime power status, checked before each reading; empty for other chips.
        std::string sleepStatus;
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
    std::set<std::string> keys;
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
            mImpl->channels.push_back({
                UniqueName(chip.name + " " + label, used),
                UniqueKey(ChannelKey(chip, channel), keys),
                chip.devicePath,
                "temp" + std::to_string(channel.number),
                TemperatureInput(channel.File("input"), channel.hasFault ? channel.File("fault") : std::string()),
                ReadThreshold(channel.File("min")),
                ReadThreshold(channel.File("max")),
                ReadThreshold(channel.File("crit")),
                chip.onDisplayDevice ? HwmonTree::SleepStatusFile(chip) : std::string(),
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
    if (key == kStableKeyProperty)
        return channel->key;
    if (key == kDevicePathProperty)
        return channel->devicePath;
    if (key == kChannelProperty)
        return channel->channel;
    return std::nullopt;
}

std::optional<int32_t> LinuxSensorRegistry::GetSInt32Property(EntryID entry, std::string_view key)
{
    Impl::Channel* channel = mImpl->Find(entry);
    if (!channel)
        return std::nullopt;
    if (key == "current-value") {
        SourceReading reading = ReadValue(entry, key);
        return reading.IsValid() ? std::optional<int32_t>(reading.raw) : std::nullopt;
    }
    if (key == "low-threshold")
        return channel->lowThreshold;
    if (key == "high-threshold")
        return channel->maxThreshold ? channel->maxThreshold : channel->critThreshold;
    if (key == kMaxThresholdProperty)
        return channel->maxThreshold;
    if (key == kCritThresholdProperty)
        return channel->critThreshold;
    return std::nullopt;
}

SourceReading LinuxSensorRegistry::ReadValue(EntryID entry, std::string_view key)
{
    Impl::Channel* channel = mImpl->Find(entry);
    if (!channel || key != "current-value")
        return SourceReading::Failure();
    // A sleeping graphics card would wake for the reading and stay awake at 20 W and more: it is not read.
    if (!channel->sleepStatus.empty()) {
        if (auto status = SysfsFile::ReadText(channel->sleepStatus, 32); status && HwmonTree::IsAsleep(*status))
            return SourceReading::Sleeping();
    }
    std::optional<int64_t> millidegrees = channel->input.ReadMillidegrees();
    return millidegrees ? SourceReading::Of(Millidegrees::ToFixed16(*millidegrees)) : SourceReading::Failure();
}
