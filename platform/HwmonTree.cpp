#include "platform/HwmonTree.h"

#include "platform/SysfsFile.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <set>
#include <string_view>
#include <tuple>

namespace {

// Names and labels are opaque bytes, but control characters (a stray newline, an embedded NUL) would break
// every place that shows or stores them.
std::optional<std::string> ReadName(const std::string& path)
{
    auto text = SysfsFile::ReadText(path, 1024);
    if (!text)
        return std::nullopt;
    for (char& c : *text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    std::string name = SysfsFile::Trim(*text);
    if (name.empty())
        return std::nullopt;
    return name;
}

// The length of the well-formed UTF-8 character at the start of text, 0 when there is none there.
size_t Utf8CharacterLength(std::string_view text)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    auto follows = [&](size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
        return i < text.size() && byte(i) >= low && byte(i) <= high;
    };
    unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return follows(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        // No overlong forms, no surrogates.
        bool second = lead == 0xE0 ? follows(1, 0xA0) : lead == 0xED ? follows(1, 0x80, 0x9F) : follows(1);
        return second && follows(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        bool second = lead == 0xF0 ? follows(1, 0x90) : lead == 0xF4 ? follows(1, 0x80, 0x8F) : follows(1);
        return second && follows(2) && follows(3) ? 4 : 0;
    }
    return 0;
}

// Whether a label says anything in UTF-8: a character that decodes, other than a space. A label that is
// only bytes of no character (firmware garbage) would name the sensor, and its data file, by nothing.
bool SaysAnything(std::string_view label)
{
    while (!label.empty()) {
        size_t length = Utf8CharacterLength(label);
        if (length > 0 && label.front() != ' ')
            return true;
        label.remove_prefix(std::max<size_t>(length, 1));
    }
    return false;
}

std::vector<HwmonTree::Channel> FindTemperatures(const std::string& folder)
{
    std::vector<HwmonTree::Channel> channels;
    std::set<int> seen;
    for (const std::string& name : SysfsFile::List(folder)) {
        auto number = SysfsFile::NumberInName(name, "temp", "_input");
        // temp01_input and temp1_input would be the same channel; the first listed wins.
        if (!number || !seen.insert(*number).second)
            continue;
        HwmonTree::Channel channel;
        channel.number = *number;
        channel.folder = folder;
        channel.label = ReadName(channel.File("label")).value_or(std::string());
        if (!SaysAnything(channel.label))
            channel.label.clear();
        channel.hasFault = SysfsFile::ReadText(channel.File("fault"), 16).has_value();
        channels.push_back(std::move(channel));
    }
    std::sort(channels.begin(), channels.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
    return channels;
}

std::optional<int64_t> IntelPackageID(const std::string& label)
{
    for (std::string_view prefix : { "Package id ", "Physical id " }) {
        if (label.starts_with(prefix)) {
            auto id = SysfsFile::ParseInteger(label.substr(prefix.size()));
            if (id && *id >= 0)
                return id;
        }
    }
    return std::nullopt;
}

void AssignRoles(HwmonTree::Chip& chip)
{
    if (chip.name == "coretemp") {
        for (auto& channel : chip.temperatures) {
            if (auto id = IntelPackageID(channel.label)) {
                channel.role = HwmonTree::Role::IntelPackage;
                channel.packageID = *id;
            }
        }
        return;
    }
    if (chip.name != "k10temp" && chip.name != "zenpower")
        return;
    chip.isAMDPackageChip = true;
    // Zen reports the die temperature as Tdie and, on some parts, an offset control value as Tctl;
    // earlier families have a single unlabelled temp1.
    auto labelled = [&](const char* label) {
        return std::find_if(chip.temperatures.begin(), chip.temperatures.end(),
            [&](const auto& channel) { return channel.label == label; });
    };
    auto package = labelled("Tdie");
    if (package == chip.temperatures.end())
        package = labelled("Tctl");
    if (package == chip.temperatures.end()) {
        package = std::find_if(chip.temperatures.begin(), chip.temperatures.end(),
            [](const auto& channel) { return channel.number == 1 && channel.label.empty(); });
    }
    if (package != chip.temperatures.end())
        package->role = HwmonTree::Role::AMDPackage;
}

// A PCI device's class as sysfs writes it ("0x030000"): 0x03 in the top byte is a display controller.
bool IsDisplayClass(const std::optional<std::string>& text)
{
    if (!text || !text->starts_with("0x") || text->size() != 8)
        return false;
    unsigned value = 0;
    auto [end, error] = std::from_chars(text->data() + 2, text->data() + text->size(), value, 16);
    return error == std::errc() && end == text->data() + text->size() && (value >> 16) == 0x03;
}

}

bool HwmonTree::IsAsleep(const std::string& status)
{
    std::string trimmed = SysfsFile::Trim(status);
    return trimmed == "suspended" || trimmed == "suspending";
}

std::string HwmonTree::Channel::File(const char* suffix) const
{
    return folder + "/temp" + std::to_string(number) + "_" + suffix;
}

HwmonTree::HwmonTree(const std::string& root)
{
    struct Found {
        Chip chip;
        int number;
    };
    std::vector<Found> found;
    std::string classFolder = SysfsFile::Join(root, "/sys/class/hwmon");
    for (const std::string& entry : SysfsFile::List(classFolder)) {
        auto number = SysfsFile::NumberInName(entry, "hwmon", "");
        if (!number)
            continue;
        Chip chip;
        chip.folder = classFolder + "/" + entry;
        if (!SysfsFile::IsFolder(chip.folder))
            continue;
        std::string deviceLink = chip.folder + "/device";
        // hwmonN numbers follow the order in which drivers loaded; the device a chip belongs to does not
        // change between boots. A link that does not resolve (a tree seen only in part) leaves the chip
        // ordered by its own folder.
        auto device = SysfsFile::Resolve(deviceLink);
        chip.orderKey = device ? *device : SysfsFile::Resolve(chip.folder).value_or(chip.folder);
        if (device)
            chip.devicePath = SysfsFile::BelowRoot(*device, root);
        // PCI class 0x03xxxx: a display controller. The class is kept by the kernel; reading it never
        // touches the card.
        chip.onDisplayDevice = IsDisplayClass(SysfsFile::ReadTrimmed(deviceLink + "/class"));

        auto name = ReadName(chip.folder + "/name");
        if (!name && device)
            name = ReadName(deviceLink + "/name");
        if (!name && device) {
            // A driver that names no chip: the device's own folder name ("0000:00:18.3") is stable.
            std::string base = device->substr(device->find_last_of('/') + 1);
            if (!base.empty())
                name = base;
        }
        chip.name = name.value_or(kUnnamedChip);
        chip.isAppleSMC = chip.name == "applesmc";

        chip.temperatures = FindTemperatures(chip.folder);
        if (chip.temperatures.empty() && device)
            chip.temperatures = FindTemperatures(deviceLink);
        AssignRoles(chip);
        found.push_back({ std::move(chip), *number });
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return std::tie(a.chip.orderKey, a.chip.name, a.number) < std::tie(b.chip.orderKey, b.chip.name, b.number);
    });
    for (auto& each : found)
        mChips.push_back(std::move(each.chip));
}
