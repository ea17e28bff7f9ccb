#include "tests/support/FixtureSMCUserClient.h"

#include <cstring>

namespace {

std::string KeyName(uint32_t packed)
{
    std::string name;
    for (int shift = 24; shift >= 0; shift -= 8)
        name.push_back(static_cast<char>((packed >> shift) & 0xFF));
    return name;
}

uint32_t Pack(const std::string& text)
{
    uint32_t packed = 0;
    for (size_t i = 0; i < 4; ++i)
        packed = (packed << 8) | static_cast<uint8_t>(i < text.size() ? text[i] : ' ');
    return packed;
}

}

int32_t FixtureSMCUserClient::FindService(bool& found)
{
    found = mPresent;
    return mFindError;
}

int32_t FixtureSMCUserClient::OpenConnection(uint32_t& connection)
{
    if (mOpenError != 0)
        return mOpenError;
    mOpen = true;
    connection = 0x5A5A;
    return 0;
}

void FixtureSMCUserClient::CloseConnection(uint32_t)
{
    mOpen = false;
}

int32_t FixtureSMCUserClient::CallStructMethod(
    uint32_t connection, uint32_t selector, const SMCKeyData_t& input, SMCKeyData_t& output)
{
    mRequests.push_back(input);
    if (!mOpen || connection != 0x5A5A || selector != kSMCUserClientMethod)
        return kSMCBadArgument;
    auto key = mKeys.find(KeyName(input.key));
    if (key == mKeys.end())
        return kSMCKeyNotFound;
    std::memset(&output, 0, sizeof output);
    output.key = input.key;
    switch (input.command) {
    case kSMCReadKeyInfo:
        output.dataSize = static_cast<uint32_t>(key->second.bytes.size());
        output.dataType = Pack(key->second.type);
        return 0;
    case kSMCReadBytes:
        std::memcpy(output.bytes, key->second.bytes.data(), std::min<size_t>(key->second.bytes.size(), 32));
        return 0;
    default:
        return kSMCBadArgument;
    }
}
