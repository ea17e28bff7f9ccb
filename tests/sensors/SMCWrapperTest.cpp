#include "sensors/SMCWrapper.h"
#include "tests/support/FixturePlatform.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

SMCVal_t Value(int8_t b0, int8_t b1)
{
    SMCVal_t value {};
    value.bytes[0] = b0;
    value.bytes[1] = b1;
    return value;
}

std::string KeyOf(const SMCKeyData_t& request)
{
    std::string key;
    for (int shift = 24; shift >= 0; shift -= 8)
        key.push_back(static_cast<char>(request.key >> shift));
    return key;
}

}

TEST(SMCWrapper, DecodesSigned8Point8)
{
    EXPECT_EQ(SMCDecodeTemperature(Value(0x2F, 0x40)), 47);
    // The fraction byte is signed: 47.5 reads as 46.
    EXPECT_EQ(SMCDecodeTemperature(Value(0x2F, static_cast<int8_t>(0x80))), 46);
    EXPECT_EQ(SMCDecodeTemperature(Value(0, 0)), 0);
    EXPECT_EQ(SMCDecodeTemperature(Value(static_cast<int8_t>(0xFF), 0)), -1);
}

TEST(SMCWrapper, ReadKeySendsTheRecordByteForByte)
{
    FixturePlatform platform;
    platform.SMC().SetPresent(true);
    platform.SMC().SetKey("TC0D", { "sp78", { 0x2F, 0x40 } });
    uint32_t connection = 0;
    ASSERT_EQ(SMCOpen(&connection), 0);
    SMCVal_t value;
    ASSERT_EQ(SMCReadKey2("TC0D", &value, connection), 0);
    EXPECT_STREQ(value.key, "TC0D");
    EXPECT_STREQ(value.dataType, "sp78");
    EXPECT_EQ(value.dataSize, 2u);
    EXPECT_EQ(value.bytes[0], 0x2F);

    const auto& requests = platform.SMC().Requests();
    ASSERT_EQ(requests.size(), 2u);
    uint8_t info[80];
    uint8_t read[80];
    std::memcpy(info, &requests[0], 80);
    std::memcpy(read, &requests[1], 80);
    // The key packed with its first character in the most significant byte, in host (little-endian) order.
    EXPECT_EQ(info[0], 'D');
    EXPECT_EQ(info[3], 'T');
    EXPECT_EQ(info[42], 9);
    EXPECT_EQ(read[42], 5);
    EXPECT_EQ(read[28], 2); // data size from the key information
    for (int offset : { 4, 27, 32, 35, 36, 41, 43, 47, 48, 79 })
        EXPECT_EQ(info[offset], 0) << "offset " << offset;

    // A key the SMC does not have: the request's error, and a value of zeros.
    std::memset(&value, 0x55, sizeof value);
    EXPECT_EQ(SMCReadKey2("TC9X", &value, connection), kSMCKeyNotFound);
    EXPECT_EQ(value.dataSize, 0u);
    EXPECT_EQ(value.bytes[0], 0);
}

TEST(SMCWrapper, GeneralKeySequence)
{
    FixturePlatform platform("MacBookPro5,1");
    platform.SMC().SetPresent(true);
    platform.SMC().SetKey("TC0D", { "sp78", { 0xFF, 0x00 } });
    platform.SMC().SetKey("TC0H", { "sp78", { 0xFE, 0x00 } });
    platform.SMC().SetKey("TCAH", { "sp78", { 0xFD, 0x00 } });
    SMCWrapper* smc = SMCWrapper::Get();
    ASSERT_EQ(smc->Init(), 0);
    EXPECT_EQ(smc->GetSensorCount(), 1);
    // Both negative: the last key's reading stands, negative as it is.
    EXPECT_EQ(smc->GetTemperature(0), -3);
    platform.SMC().SetKey("TC0H", { "sp78", { 0x30, 0x00 } });
    EXPECT_EQ(smc->GetTemperature(3), 48);
    platform.SMC().SetKey("TC0D", { "sp78", { 0x00, 0x00 } });
    EXPECT_EQ(smc->GetTemperature(0), 0); // zero is a valid reading and ends the sequence
}

TEST(SMCWrapper, MacProKeys)
{
    FixturePlatform platform("MacPro1,1");
    platform.SMC().SetPresent(true);
    platform.SMC().SetKey("TCAH", { "sp78", { 0x20, 0x00 } });
    platform.SMC().SetKey("TCBH", { "sp78", { 0x21, 0x00 } });
    SMCWrapper* smc = SMCWrapper::Get();
    ASSERT_EQ(smc->Init(), 0);
    EXPECT_EQ(smc->GetSensorCount(), 2);
    EXPECT_EQ(smc->GetTemperature(0), 32);
    EXPECT_EQ(smc->GetTemperature(5), 33);
    EXPECT_EQ(KeyOf(platform.SMC().Requests().back()), "TCBH");

    FixturePlatform later("MacPro2,1"); // only the first Mac Pro has two
    EXPECT_FALSE(SMCWrapper::Get()->AmIAMacPro());
}

TEST(SMCWrapper, OpenFailuresAreReportedOnStandardOutput)
{
    FixturePlatform platform;
    platform.SMC().SetPresent(true);
    platform.SMC().SetOpenError(static_cast<int32_t>(0xE00002C7));
    uint32_t connection = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(SMCOpen(&connection), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: IOServiceOpen() = e00002c7\n");
    platform.SMC().SetFindError(5);
    testing::internal::CaptureStdout();
    EXPECT_EQ(SMCOpen(&connection), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: IOServiceGetMatchingServices() = 00000005\n");
}
