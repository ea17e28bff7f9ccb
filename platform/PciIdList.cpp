#include "platform/PciIdList.h"

#include "platform/SysfsFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kListPaths[] = { "/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids" };

// The four lower-case hex digits the list writes an id with.
std::string Hex4(uint16_t id)
{
    char text[5];
    std::snprintf(text, sizeof text, "%04x", id);
    return text;
}

// The name on a line "<id>  <name>" that starts at begin (after its tabs), when the id is the one wanted.
std::optional<std::string> NameAfterId(const std::string& text, size_t begin, const std::string& id)
{
    size_t end = text.find('\n', begin);
    if (end == std::string::npos)
        end = text.size();
    if (text.compare(begin, id.size(), id) != 0 || begin + id.size() >= end || text[begin + id.size()] != ' ')
        return std::nullopt;
    std::string name = SysfsFile::Trim(text.substr(begin + id.size(), end - begin - id.size()));
    if (name.empty())
        return std::nullopt;
    return name;
}

// The file's text when it is a regular file of a sane size; opened without waiting, so that a named pipe in
// its place cannot hold the reader.
std::optional<std::string> ReadList(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat status { };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)
        || static_cast<uint64_t>(status.st_size) > PciIdList::kMostFileBytes) {
        ::close(fd);
        std::fprintf(stderr,
            "Kelvara: \"%s\" is no PCI ID list (not a regular file of at most %zu bytes); PCI "
            "devices are named by their numbers\n",
            path.c_str(), PciIdList::kMostFileBytes);
        return std::string();
    }
    ::close(fd);
    return SysfsFile::ReadText(path, PciIdList::kMostFileBytes);
}

}

PciIdList PciIdList::Load(const std::string& root)
{
    for (const char* path : kListPaths) {
        if (std::optional<std::string> text = ReadList(SysfsFile::Join(root, path)))
            return PciIdList(std::move(*text));
    }
    return PciIdList();
}

PciIdList::PciIdList(std::string text)
    : mText(std::move(text))
{
}

size_t PciIdList::FindVendor(uint16_t vendor) const
{
    // Vendor lines start at the line's beginning; device lines with one tab, subsystems with two. The classes
    // at the end ("C 03  Display controller") never start with four hex digits.
    std::string id = Hex4(vendor);
    for (size_t at = 0; at < mText.size();) {
        if (NameAfterId(mText, at, id))
            return at;
        at = mText.find('\n', at);
        if (at == std::string::npos)
            break;
        ++at;
    }
    return std::string::npos;
}

std::optional<std::string> PciIdList::VendorName(uint16_t vendor) const
{
    size_t at = FindVendor(vendor);
    if (at == std::string::npos)
        return std::nullopt;
    return NameAfterId(mText, at, Hex4(vendor));
}

std::optional<std::string> PciIdList::DeviceName(uint16_t vendor, uint16_t device) const
{
    size_t at = FindVendor(vendor);
    if (at == std::string::npos)
        return std::nullopt;
    std::string id = Hex4(device);
    // The vendor's devices: the lines after it that start with a tab, comments between them.
    for (at = mText.find('\n', at); at != std::string::npos && ++at < mText.size(); at = mText.find('\n', at)) {
        if (mText[at] == '#')
            continue;
        if (mText[at] != '\t')
            break;
        if (at + 1 < mText.size() && mText[at + 1] != '\t') {
            if (auto name = NameAfterId(mText, at + 1, id))
                return name;
        }
    }
    return std::nullopt;
}
