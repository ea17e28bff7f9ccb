// The 80-byte request record exchanged with the SMC driver's user client, in the host's byte order.
#pragma once

#include <cstddef>
#include <cstdint>

struct SMCKeyData_t {
    uint32_t key; // four characters, the first in the most significant byte
    uint8_t unused1[24];
    uint32_t dataSize; // key information: number of value bytes
    uint32_t dataType; // key information: type code, packed like the key
    uint8_t unused2[6];
    uint8_t command; // kSMCReadKeyInfo or kSMCReadBytes
    uint8_t unused3[5];
    int8_t bytes[32]; // the key's value, most significant byte first
};

static_assert(sizeof(SMCKeyData_t) == 80);
static_assert(offsetof(SMCKeyData_t, dataSize) == 28);
static_assert(offsetof(SMCKeyData_t, dataType) == 32);
static_assert(offsetof(SMCKeyData_t, command) == 42);
static_assert(offsetof(SMCKeyData_t, bytes) == 48);

constexpr uint8_t kSMCReadBytes = 5;
constexpr uint8_t kSMCReadKeyInfo = 9;
constexpr uint32_t kSMCUserClientMethod = 2;

// What the user client answers for a key it does not know (the I/O Kit's "not found").
constexpr int32_t kSMCKeyNotFound = static_cast<int32_t>(0xE00002F0);
// What it answers when the request itself is malformed.
constexpr int32_t kSMCBadArgument = static_cast<int32_t>(0xE00002C2);
