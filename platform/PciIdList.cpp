#include "platform/PciIdList.h"

#include "platform/SysfsFile.h"

#include <charconv>
#include <fstream>

namespace {

// The id at the start of a line ("10de  NVIDIA Corporation"): four hexadecimal digits, then two spaces.
std::optional<uint32_t> IdAt(const std::string& line, size_t at)
{
    if (line.size() < at + 6 || line.compare(at + 4, 2, "  ") != 0)
        return std::nullopt;
    uint32_t id = 0;
    auto [end, error] = std::from_chars(line.data() + at, line.data() + at + 4, id, 16);
    if (error != std::errc() || end != line.data() + at + 4)
        return std::nullopt;
    return id;
}

// The name after the id and its two spaces, as one line of text; nullopt when nothing is left.
std::optional<std::string> NameAfter(const std::string& line, size_t at)
{
    std::string name = line.substr(at + 6);
    // The name goes into a sensor's name, its data file's and its tool tip: no control characters.
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    name = SysfsFile::Trim(name);
    if (name.empty())
        return std::nullopt;
    return name;
}

}

PciIdList::PciIdList(const std::string& root)
{
    for (const char* place : { "/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids" }) {
        std::string file = SysfsFile::Join(root, place);
        if (std::ifstream(file).good()) {
            mFile = file;
            break;
        }
    }
}

std::optional<std::string> PciIdList::VendorName(uint32_t vendor) const
{
    if (mFile.empty())
        return std::nullopt;
    std::ifstream list(mFile);
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line[0] != '\t' && line[0] != '#' && IdAt(line, 0) == vendor)
            return NameAfter(line, 0);
    }
    return std::nullopt;
}

std::optional<std::string> PciIdList::DeviceName(uint32_t vendor, uint32_t device) const
{
    if (mFile.empty())
        return std::nullopt;
    // Vendors at the start of a line, their devices one tab in, subsystems two; comments begin with '#'.
    // The list is read line by line up to the vendor's block, never whole.
    std::ifstream list(mFile);
    bool inVendor = false;
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] != '\t') {
            if (inVendor)
                return std::nullopt;
            inVendor = IdAt(line, 0) == vendor;
        } else if (inVendor && line.size() > 1 && line[1] != '\t' && IdAt(line, 1) == device) {
            return NameAfter(line, 1);
        }
    }
    return std::nullopt;
}

std::string PciIdList::CardName(const std::string& vendorName, const std::string& entry)
{
    size_t open = entry.find('[');
    size_t close = entry.rfind(']');
    std::string product = entry;
    if (open != std::string::npos && close != std::string::npos && close > open + 1)
        product = SysfsFile::Trim(entry.substr(open + 1, close - open - 1));
    if (product.starts_with(vendorName + " "))
        return product;
    return vendorName + " " + product;
}
