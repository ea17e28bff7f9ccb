#include "platform/LinuxSMCUserClient.h"

#include "platform/Millidegrees.h"
#include "platform/SysfsFile.h"
#include "platform/TemperatureInput.h"

#include <cstring>
#include <fcntl.h>
#include <map>
#include <set>
#include <unistd.h>

namespace {

// The I/O Kit's codes for a missing device and for a request that failed on the way.
constexpr int32_t kNoDevice = static_cast<int32_t>(0xE00002C0);
constexpr int32_t kReadError = static_cast<int32_t>(0xE00002BC);

// More keys than any SMC has; a damaged key_count must not make the scan run for ever.
constexpr int64_t kMaximumKeyCount = 8192;

std::string Unpack(uint32_t packed)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text.push_back(static_cast<char>((packed >> shift) & 0xFF));
    return text;
}

uint32_t Pack(const std::string& text)
{
    uint32_t packed = 0;
    for (size_t i = 0; i < 4; ++i)
        packed = (packed << 8) | static_cast<uint8_t>(i < text.size() ? text[i] : ' ');
    return packed;
}

// Key names and types are four characters and may end in a space ("ui8 "), so only the line end goes.
std::optional<std::string> ReadFourCharacters(const std::string& path)
{
    auto text = SysfsFile::ReadText(path, 16);
    if (!text)
        return std::nullopt;
    while (!text->empty() && (text->back() == '\n' || text->back() == '\0'))
        text->pop_back();
    if (text->empty() || text->size() > 4)
        return std::nullopt;
    text->resize(4, ' ');
    return text;
}

struct Key {
    std::string type;
    uint32_t size = 0;
    std::vector<uint8_t> bytes; // filled only when asked for
};

}

struct LinuxSMCUserClient::Impl {
    std::string device;
    std::set<uint32_t> connections;
    uint32_t nextConnection = 1;

    // The driver's key files: name to index, valid while key_count stays what it was at the scan.
    std::optional<bool> keyFilesUsable;
    std::map<std::string, int64_t> keyIndices;
    std::optional<int64_t> scannedKeyCount;

    // Without the key files: the temperature keys that the driver publishes as labelled channels.
    bool labelsFound = false;
    std::map<std::string, TemperatureInput> labelledTemperatures;

    std::string File(const char* name) const { return device + "/" + name; }

    bool KeyFilesUsable()
    {
        if (!keyFilesUsable) {
            // Selecting a key means writing key_at_index, which the driver allows only to root.
            int fd = ::open(File("key_at_index").c_str(), O_WRONLY | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
            keyFilesUsable = fd >= 0 && SysfsFile::ReadInteger(File("key_count")).has_value();
        }
        return *keyFilesUsable;
    }

    bool SelectIndex(int64_t index)
    {
        int fd = ::open(File("key_at_index").c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        std::string text = std::to_string(index) + "\n";
        bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::close(fd);
        return written;
    }

    void ScanKeys(int64_t count)
    {
        keyIndices.clear();
        scannedKeyCount = count;
        for (int64_t index = 0; index < std::min(count, kMaximumKeyCount); ++index) {
            if (!SelectIndex(index))
                continue;
            if (auto name = ReadFourCharacters(File("key_at_index_name")))
                keyIndices.emplace(*name, index);
        }
    }

    int32_t ReadThroughKeyFiles(const std::string& name, bool withBytes, Key& key)
    {
        auto count = SysfsFile::ReadInteger(File("key_count"));
        if (!count || *count < 0)
            return kReadError;
        // The selected index is shared by every reader of the driver; when another program moved it
        // between our write and our read, the name no longer matches and the key is looked up again.
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (scannedKeyCount != *count || attempt > 0)
                ScanKeys(*count);
            auto found = keyIndices.find(name);
            if (found == keyIndices.end())
                return kSMCKeyNotFound;
            if (!SelectIndex(found->second))
                return kReadError;
            if (ReadFourCharacters(File("key_at_index_name")) != name)
                continue;
            auto type = ReadFourCharacters(File("key_at_index_type"));
            auto size = SysfsFile::ReadInteger(File("key_at_index_data_length"));
            if (!type || !size || *size < 0 || *size > 32)
                return kReadError;
            key.type = *type;
            key.size = static_cast<uint32_t>(*size);
            if (withBytes) {
                auto data = SysfsFile::ReadText(File("key_at_index_data"), 32);
                if (!data)
                    return kReadError;
                key.bytes.assign(data->begin(), data->end());
            }
            return 0;
        }
        return kReadError;
    }

    void FindLabels()
    {
        labelsFound = true;
        std::vector<std::string> folders { device };
        for (const std::string& child : SysfsFile::List(device + "/hwmon")) {
            if (SysfsFile::NumberInName(child, "hwmon", ""))
                folders.push_back(device + "/hwmon/" + child);
        }
        for (const std::string& folder : folders) {
            for (const std::string& file : SysfsFile::List(folder)) {
                auto number = SysfsFile::NumberInName(file, "temp", "_label");
                if (!number)
                    continue;
                auto label = SysfsFile::ReadTrimmed(folder + "/" + file);
                if (!label || label->empty())
                    continue;
                std::string input = folder + "/temp" + std::to_string(*number) + "_input";
                labelledTemperatures.try_emplace(*label, input, std::string());
            }
        }
    }

    int32_t ReadThroughLabels(const std::string& name, bool withBytes, Key& key)
    {
        if (!labelsFound)
            FindLabels();
        auto found = labelledTemperatures.find(name);
        if (found == labelledTemperatures.end())
            return kSMCKeyNotFound;
        key.type = "sp78";
        key.size = 2;
        if (withBytes) {
            auto millidegrees = found->second.ReadMillidegrees();
            if (!millidegrees)
                return kReadError;
            auto value = static_cast<uint16_t>(Millidegrees::ToSP78(*millidegrees));
            key.bytes = { static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value & 0xFF) };
        }
        return 0;
    }

    int32_t Read(const std::string& name, bool withBytes, Key& key)
    {
        return KeyFilesUsable() ? ReadThroughKeyFiles(name, withBytes, key) : ReadThroughLabels(name, withBytes, key);
    }
};

LinuxSMCUserClient::LinuxSMCUserClient(std::string root)
    : mImpl(std::make_unique<Impl>())
{
    mImpl->device = SysfsFile::Join(root, "/sys/devices/platform/applesmc.768");
}

LinuxSMCUserClient::~LinuxSMCUserClient() = default;

int32_t LinuxSMCUserClient::FindService(bool& found)
{
    found = SysfsFile::IsFolder(mImpl->device);
    return 0;
}

int32_t LinuxSMCUserClient::OpenConnection(uint32_t& connection)
{
    if (!SysfsFile::IsFolder(mImpl->device))
        return kNoDevice;
    connection = mImpl->nextConnection++;
    if (mImpl->nextConnection == 0)
        mImpl->nextConnection = 1;
    mImpl->connections.insert(connection);
    return 0;
}

void LinuxSMCUserClient::CloseConnection(uint32_t connection)
{
    mImpl->connections.erase(connection);
}

int32_t LinuxSMCUserClient::CallStructMethod(
    uint32_t connection, uint32_t selector, const SMCKeyData_t& input, SMCKeyData_t& output)
{
    // The input may be the output itself; everything needed is taken from it before output is cleared.
    const uint32_t packedKey = input.key;
    const uint8_t command = input.command;
    std::memset(&output, 0, sizeof output);
    if (!mImpl->connections.contains(connection) || selector != kSMCUserClientMethod)
        return kSMCBadArgument;
    if (command != kSMCReadKeyInfo && command != kSMCReadBytes)
        return kSMCBadArgument;

    Key key;
    if (int32_t error = mImpl->Read(Unpack(packedKey), command == kSMCReadBytes, key))
        return error;
    output.key = packedKey;
    if (command == kSMCReadKeyInfo) {
        output.dataSize = key.size;
        output.dataType = Pack(key.type);
    } else {
        std::memcpy(output.bytes, key.bytes.data(), std::min<size_t>(key.bytes.size(), sizeof output.bytes));
    }
    return 0;
}
