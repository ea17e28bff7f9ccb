#include "platform/DeviceNames.h"

#include "platform/SysfsFile.h"

#include <QString>

#include <cstdio>
#include <regex>
#include <sys/stat.h>

namespace {

// Model names are 40 characters (NVMe and ATA); a file much longer than that holds no name.
constexpr size_t kMostNameBytes = 256;

bool Exists(const std::string& path)
{
    struct stat status { };
    return ::lstat(path.c_str(), &status) == 0;
}

bool IsCleanText(const std::string& text)
{
    QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (decoded.toUtf8().toStdString() != text)
        return false;
    for (QChar c : decoded) {
        if (c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter)
            return false;
    }
    return true;
}

// "0x1002" as the kernel writes PCI ids.
std::optional<uint16_t> ReadPciId(const std::string& path)
{
    std::optional<std::string> text = SysfsFile::ReadTrimmed(path);
    static const std::regex kId("0x[0-9a-fA-F]{4}");
    if (!text || !std::regex_match(*text, kId))
        return std::nullopt;
    return static_cast<uint16_t>(std::stoul(text->substr(2), nullptr, 16));
}

std::string Hex4(uint16_t id)
{
    char text[5];
    std::snprintf(text, sizeof text, "%04x", id);
    return text;
}

}

DeviceNames::DeviceNames(std::string root)
    : mRoot(std::move(root))
{
}

std::string DeviceNames::Describe(const std::string& devicePath)
{
    if (devicePath.empty())
        return {};
    if (auto known = mDescribed.find(devicePath); known != mDescribed.end())
        return known->second;
    std::string folder = SysfsFile::Join(mRoot, devicePath);
    std::string described;
    // A SCSI disk (drivetemp's SATA drives) carries its serial in its vital product data; an NVMe controller
    // has a serial file of its own. Both have a model file.
    if (Exists(folder + "/vpd_pg80"))
        described = DescribeDrive(folder, ReadSerialFromVpd(folder + "/vpd_pg80"));
    else if (Exists(folder + "/model") && Exists(folder + "/serial"))
        described = DescribeDrive(folder, ReadName(folder + "/serial"));
    else
        described = DescribePci(folder);
    mDescribed.emplace(devicePath, described);
    return described;
}

std::string DeviceNames::DescribeDrive(const std::string& folder, const std::optional<std::string>& serial)
{
    std::optional<std::string> model = ReadName(folder + "/model");
    return model ? DriveLine(*model, serial.value_or("")) : std::string();
}

std::string DeviceNames::DriveLine(const std::string& given, const std::string& serialGiven)
{
    // A drive's service may hand over anything: the line is one line of text.
    auto oneLine = [](const std::string& text) {
        QString line = QString::fromStdString(text);
        for (QChar& c : line) {
            if (c.category() == QChar::Other_Control)
                c = u' ';
        }
        return line.simplified().toStdString();
    };
    std::string model = oneLine(given);
    std::string serial = oneLine(serialGiven);
    if (model.empty() || serial.empty())
        return model;
    // The tail alone: enough to tell two drives apart, without putting the whole number on screen.
    QString whole = QString::fromStdString(serial);
    std::string tail = whole.size() > static_cast<qsizetype>(kSerialTail)
        ? "…" + whole.right(static_cast<qsizetype>(kSerialTail)).toStdString()
        : serial;
    return model + ", serial " + tail;
}

std::string DeviceNames::DescribePci(const std::string& folder)
{
    // A PCI function's folder is named by its slot: domain, bus, device and function ("0000:03:00.0").
    std::string slot = folder.substr(folder.find_last_of('/') + 1);
    static const std::regex kSlot("[0-9a-f]{4}:[0-9a-f]{2}:[0-9a-f]{2}\\.[0-7]");
    if (!std::regex_match(slot, kSlot))
        return {};
    std::optional<uint16_t> vendor = ReadPciId(folder + "/vendor");
    std::optional<uint16_t> device = ReadPciId(folder + "/device");
    if (!vendor || !device)
        return {};
    if (!mPciIds)
        mPciIds.emplace(mRoot);
    std::optional<std::string> vendorName = mPciIds->VendorName(*vendor);
    std::optional<std::string> deviceName = mPciIds->DeviceName(*vendor, *device);
    std::string name;
    if (vendorName && deviceName)
        name = *vendorName + " " + *deviceName;
    else if (vendorName)
        name = *vendorName + " device " + Hex4(*device);
    else
        name = "PCI device " + Hex4(*vendor) + ":" + Hex4(*device);
    if (!IsCleanText(name))
        return "PCI device " + Hex4(*vendor) + ":" + Hex4(*device) + " (" + slot + ")";
    return name + " (" + slot + ")";
}

std::optional<std::string> DeviceNames::ReadName(const std::string& path)
{
    std::optional<std::string> text = SysfsFile::ReadText(path, kMostNameBytes + 1);
    if (!text)
        return std::nullopt;
    std::string name = SysfsFile::Trim(*text);
    if (name.empty())
        return std::nullopt;
    if (text->size() > kMostNameBytes || !IsCleanText(name)) {
        std::fprintf(stderr, "Kelvara: \"%s\" holds no usable name; the device is not named\n", path.c_str());
        return std::nullopt;
    }
    return name;
}

std::optional<std::string> DeviceNames::ReadSerialFromVpd(const std::string& path)
{
    // The unit serial number page: a 4-byte header (page code 0x80, then the length, big-endian), then the
    // serial in ASCII, padded with spaces.
    std::optional<std::string> page = SysfsFile::ReadText(path, kMostNameBytes + 4);
    if (!page || page->size() < 4 || static_cast<uint8_t>((*page)[1]) != 0x80) {
        if (page)
            std::fprintf(
                stderr, "Kelvara: \"%s\" is no serial number page; the drive's serial is not shown\n", path.c_str());
        return std::nullopt;
    }
    size_t length = static_cast<uint8_t>((*page)[2]) * 256u + static_cast<uint8_t>((*page)[3]);
    std::string serial = SysfsFile::Trim(page->substr(4, length));
    if (serial.empty())
        return std::nullopt;
    if (length > page->size() - 4 || !IsCleanText(serial)) {
        std::fprintf(stderr, "Kelvara: \"%s\" holds no usable serial; the drive's serial is not shown\n", path.c_str());
        return std::nullopt;
    }
    return serial;
}
