// Access to the System Management Controller's temperature keys, for machines with no other sensor.
#pragma once

#include "platform/SMCKeyData.h"

#include <cstdint>
#include <optional>

struct SMCVal_t {
    char key[5];
    uint32_t dataSize;
    char dataType[5];
    int8_t bytes[32];
};

// Opens a connection to the SMC service; 0 on success, 1 on failure (with a message on standard output).
int SMCOpen(uint32_t* connection);
void SMCClose(uint32_t connection);
// Reads one key; 0 or the error of the failing request. value is cleared first, so a failed read leaves
// all zeros.
int32_t SMCReadKey2(const char* key, SMCVal_t* value, uint32_t connection);
// The temperature of a key's first two bytes (signed 8.8 fixed point), in whole degrees Celsius.
int32_t SMCDecodeTemperature(const SMCVal_t& value);

class SMCWrapper {
public:
    static SMCWrapper* Get();
    static void DeleteInstanceForTesting();
    ~SMCWrapper();

    int Init();
    int32_t GetSensorCount() const { return mIsMacPro ? 2 : 1; }
    int32_t GetTemperature(int32_t sensor);
    // The same, but nullopt when no key could be read, rather than the 0 of a failed request.
    std::optional<int32_t> TryGetTemperature(int32_t sensor);
    int32_t GetMacProTemp(int32_t sensor);
    int32_t GetGeneralTemp();
    bool AmIAMacPro();

private:
    SMCWrapper();
    int32_t ReadTemperatureKey(const char* key);
    std::optional<int32_t> TryTemperatureKey(const char* key);

    uint32_t mConnection = 0;
    bool mIsMacPro = false;
    static SMCWrapper* sInstance;
};
