#include "sensors/SMCWrapper.h"

#include "platform/Platform.h"
#include "util/SharedUtils.h"

#include <cstdio>
#include <cstring>

SMCWrapper* SMCWrapper::sInstance = nullptr;

int SMCOpen(uint32_t* connection)
{
    SMCUserClient& client = Platform::SMC();
    bool found = false;
    if (int32_t err = client.FindService(found); err != 0) {
        std::printf("Error: IOServiceGetMatchingServices() = %08x\n", static_cast<unsigned>(err));
        return 1;
    }
    if (!found) {
        // Only a Mac has an SMC to miss; on any other machine its absence is no news.
        if (Platform::Machine().IsAppleHardware())
            std::printf("Error: no SMC found\n");
        return 1;
    }
    if (int32_t err = client.OpenConnection(*connection); err != 0) {
        std::printf("Error: IOServiceOpen() = %08x\n", static_cast<unsigned>(err));
        return 1;
    }
    return 0;
}

void SMCClose(uint32_t connection)
{
    Platform::SMC().CloseConnection(connection);
}

int32_t SMCReadKey2(const char* key, SMCVal_t* value, uint32_t connection)
{
    SMCKeyData_t input;
    SMCKeyData_t output;
    std::memset(&input, 0, sizeof input);
    std::memset(&output, 0, sizeof output);
    std::memset(value, 0, sizeof *value);

    uint32_t packed = 0;
    for (int i = 0; i < 4 && key[i] != '\0'; ++i)
        packed |= static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(key[i]))) << (24 - 8 * i);
    input.key = packed;
    std::strncpy(value->key, key, 4);

    SMCUserClient& client = Platform::SMC();
    input.command = kSMCReadKeyInfo;
    if (int32_t err = client.CallStructMethod(connection, kSMCUserClientMethod, input, output); err != 0)
        return err;
    value->dataSize = output.dataSize;
    for (int i = 0; i < 4; ++i)
        value->dataType[i] = static_cast<char>(output.dataType >> (24 - 8 * i));

    input.dataSize = value->dataSize;
    input.command = kSMCReadBytes;
    if (int32_t err = client.CallStructMethod(connection, kSMCUserClientMethod, input, output); err != 0)
        return err;
    std::memcpy(value->bytes, output.bytes, sizeof value->bytes);
    return 0;
}

int32_t SMCDecodeTemperature(const SMCVal_t& value)
{
    // Both bytes are taken as signed, so a fraction byte of 0x80 or more lowers the result by one.
    int32_t v = value.bytes[0] * 256 + value.bytes[1];
    return (v >> 2) / 64;
}

SMCWrapper* SMCWrapper::Get()
{
    if (sInstance == nullptr) {
        sInstance = new SMCWrapper;
        sInstance->mIsMacPro = sInstance->AmIAMacPro();
    }
    return sInstance;
}

void SMCWrapper::DeleteInstanceForTesting()
{
    delete sInstance;
    sInstance = nullptr;
}

SMCWrapper::SMCWrapper() = default;

SMCWrapper::~SMCWrapper()
{
    if (mConnection != 0)
        SMCClose(mConnection);
}

int SMCWrapper::Init()
{
    return SMCOpen(&mConnection) == 0 ? 0 : 1;
}

bool SMCWrapper::AmIAMacPro()
{
    Str255 model;
    SharedUtils_GetMacName(&model);
    return model[0] >= 9 && std::memcmp(model.data() + 1, "MacPro1,1", 9) == 0;
}

int32_t SMCWrapper::GetTemperature(int32_t sensor)
{
    return mIsMacPro ? GetMacProTemp(sensor) : GetGeneralTemp();
}

int32_t SMCWrapper::ReadTemperatureKey(const char* key)
{
    SMCVal_t value;
    SMCReadKey2(key, &value, mConnection);
    return SMCDecodeTemperature(value);
}

std::optional<int32_t> SMCWrapper::TryTemperatureKey(const char* key)
{
    SMCVal_t value;
    if (SMCReadKey2(key, &value, mConnection) != 0)
        return std::nullopt;
    return SMCDecodeTemperature(value);
}

std::optional<int32_t> SMCWrapper::TryGetTemperature(int32_t sensor)
{
    if (mIsMacPro)
        return TryTemperatureKey(sensor == 0 ? "TCAH" : "TCBH");
    // As GetGeneralTemp: the first key that reads a temperature of 0 or more.
    std::optional<int32_t> temperature;
    for (const char* key : { "TC0D", "TC0H", "TCAH" }) {
        temperature = TryTemperatureKey(key);
        if (temperature && *temperature >= 0)
            return temperature;
    }
    return temperature;
}

int32_t SMCWrapper::GetMacProTemp(int32_t sensor)
{
    return ReadTemperatureKey(sensor == 0 ? "TCAH" : "TCBH");
}

int32_t SMCWrapper::GetGeneralTemp()
{
    int32_t temperature = ReadTemperatureKey("TC0D");
    if (temperature < 0)
        temperature = ReadTemperatureKey("TC0H");
    if (temperature < 0)
        temperature = ReadTemperatureKey("TCAH");
    return temperature;
}
