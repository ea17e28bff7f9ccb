#include "platform/NvidiaCardList.h"

#include "platform/HwmonTree.h"
#include "platform/SysfsFile.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

// A number as sysfs writes PCI ids and classes: "0x10de", "0x030000".
std::optional<uint32_t> ReadHex(const std::string& path)
{
    auto text = SysfsFile::ReadTrimmed(path);
    if (!text || !text->starts_with("0x") || text->size() < 3 || text->size() > 10)
        return std::nullopt;
    uint32_t value = 0;
    auto [end, error] = std::from_chars(text->data() + 2, text->data() + text->size(), value, 16);
    if (error != std::errc() || end != text->data() + text->size())
        return std::nullopt;
    return value;
}

// A bus id as the kernel names PCI devices: "dddd:bb:dd.f" in lower-case hexadecimal. Anything else in the
// folder (a stray file in a damaged tree) is no card, and never reaches the library as a bus id.
bool IsBusId(const std::string& name)
{
    if (name.size() != 12 || name[4] != ':' || name[7] != ':' || name[10] != '.')
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (i == 4 || i == 7 || i == 10)
            continue;
        char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

}

std::vector<NvidiaCardList::Card> NvidiaCardList::Find(const std::string& root)
{
    std::vector<Card> cards;
    std::string devices = SysfsFile::Join(root, "/sys/bus/pci/devices");
    for (const std::string& name : SysfsFile::List(devices)) {
        std::string folder = devices + "/" + name;
        if (!IsBusId(name) || ReadHex(folder + "/vendor") != kVendorNvidia)
            continue;
        auto pciClass = ReadHex(folder + "/class");
        if (!pciClass || (*pciClass >> 16) != 0x03)
            continue;
        Card card;
        card.busId = name;
        card.folder = folder;
        card.deviceId = ReadHex(folder + "/device").value_or(0);
        if (auto resolved = SysfsFile::Resolve(folder))
            card.devicePath = SysfsFile::BelowRoot(*resolved, root);
        cards.push_back(std::move(card));
    }
    std::sort(cards.begin(), cards.end(), [](const Card& a, const Card& b) { return a.busId < b.busId; });
    return cards;
}

bool NvidiaCardList::IsAsleep(const Card& card)
{
    auto status = SysfsFile::ReadText(card.folder + "/power/runtime_status", 32);
    return status && HwmonTree::IsAsleep(*status);
}

bool NvidiaCardList::SleepsWhenIdle(const Card& card)
{
    return SysfsFile::ReadTrimmed(card.folder + "/power/control") == "auto";
}
