#include "metrics/NodeExporterLabels.h"

#include "metrics/Utf8Character.h"

namespace NodeExporterLabels {

namespace {

bool IsKept(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ':' || c == '_';
}

}

std::string CleanName(std::string_view name)
{
    std::string cleaned;
    for (size_t at = 0; at < name.size();) {
        char32_t point;
        at += NextUtf8Character(name, at, point);
        // Of all the characters outside ASCII, only the Kelvin sign lower-cases into the kept set, and the
        // capital I with a dot into "i" and a combining dot.
        if (point == 0x212A)
            point = 'k';
        if (point == 0x130) {
            cleaned += "i_";
            continue;
        }
        char c = point < 0x80 ? static_cast<char>(point) : '\0';
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        cleaned += point < 0x80 && IsKept(c) ? c : '_';
    }
    size_t first = cleaned.find_first_not_of('_');
    if (first == std::string::npos)
        return {};
    return cleaned.substr(first, cleaned.find_last_not_of('_') - first + 1);
}

std::optional<std::string> ChipOfDevice(std::string_view devicePath)
{
    size_t slash = devicePath.find_last_of('/');
    std::string_view deviceName = slash == std::string_view::npos ? devicePath : devicePath.substr(slash + 1);
    std::string_view parent = slash == std::string_view::npos ? std::string_view {} : devicePath.substr(0, slash);
    while (!parent.empty() && parent.back() == '/')
        parent.remove_suffix(1);
    size_t parentSlash = parent.find_last_of('/');
    std::string_view deviceType = parentSlash == std::string_view::npos ? parent : parent.substr(parentSlash + 1);

    std::string name = CleanName(deviceName);
    std::string type = CleanName(deviceType);
    if (!type.empty() && !name.empty())
        return type + "_" + name;
    if (!name.empty())
        return name;
    return std::nullopt;
}

std::string ChipOfHwmon(std::string_view devicePath, std::string_view chipName)
{
    if (!devicePath.empty()) {
        if (auto chip = ChipOfDevice(devicePath))
            return *chip;
    }
    std::string chip = CleanName(chipName);
    return chip.empty() ? "hwmon" : chip;
}

std::string ChipOfDrive(std::string_view driveId)
{
    return "udisks2_" + CleanName(driveId);
}

}
