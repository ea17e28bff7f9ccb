#include "platform/LinuxSMCUserClient.h"

#include "framework/FourCharCode.h"
#include "tests/support/SysfsFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

uint32_t Pack(const char* text)
{
    return static_cast<uint32_t>(FourCCFromText(text));
}

struct Answer {
    int32_t error = 0;
    SMCKeyData_t record {};
};

// An open connection to the client over a tree that has the applesmc device.
struct Connection {
    explicit Connection(const SysfsFixture& tree)
        : client(tree.Root())
    {
        bool found = false;
        EXPECT_TRUE(client.FindService(found) == 0 && found);
        EXPECT_EQ(client.OpenConnection(handle), 0);
    }
    ~Connection() { client.CloseConnection(handle); }

    // The answer to a request on this connection, or on another one.
    Answer Call(const char* key, uint8_t command, uint32_t selector = kSMCUserClientMethod, uint32_t connection = 0)
    {
        SMCKeyData_t request {};
        request.key = Pack(key);
        request.command = command;
        Answer answer;
        answer.error = client.CallStructMethod(connection ? connection : handle, selector, request, answer.record);
        return answer;
    }
    std::vector<uint8_t> Bytes(const char* key, size_t count)
    {
        Answer answer = Call(key, kSMCReadBytes);
        EXPECT_EQ(answer.error, 0) << key;
        return std::vector<uint8_t>(answer.record.bytes, answer.record.bytes + count);
    }

    LinuxSMCUserClient client;
    uint32_t handle = 0;
};

}

TEST(LinuxSMCUserClient, AbsentWithoutTheAppleSMCDevice)
{
    SysfsFixture tree;
    LinuxSMCUserClient client(tree.Root());
    bool found = true;
    EXPECT_EQ(client.FindService(found), 0);
    EXPECT_FALSE(found);
    uint32_t connection = 0;
    EXPECT_NE(client.OpenConnection(connection), 0);
}

TEST(LinuxSMCUserClient, TemperatureKeysFromLabelledChannelsWhenTheKeyFilesCannotBeUsed)
{
    SysfsFixture tree;
    auto device = tree.AddAppleSMC().Temp(1, "TC0D", 47250).Temp(2, "TC0H", -1000).HwmonTemp(3, 1, "TCAH", 47500);
    device.Temp(4, "TC1D", 0).SingleKey("FNum", "ui8 ", { 0x02 });
    TestFiles::Write(device.Folder() + "/temp4_input", "n/a\n");
    // Standing in for a key_at_index that only root may write.
    std::filesystem::remove(device.Folder() + "/key_at_index");
    TestFiles::MakeFolder(device.Folder() + "/key_at_index");
    Connection smc(tree);

    Answer info = smc.Call("TC0D", kSMCReadKeyInfo);
    ASSERT_EQ(info.error, 0);
    EXPECT_EQ(info.record.dataSize, 2u);
    EXPECT_EQ(info.record.dataType, Pack("sp78"));
    EXPECT_EQ(smc.Bytes("TC0D", 2), (std::vector<uint8_t> { 0x2F, 0x40 })); // 47.25 in 8.8
    EXPECT_EQ(smc.Bytes("TC0H", 2), (std::vector<uint8_t> { 0xFF, 0x00 })); // -1.0
    EXPECT_EQ(smc.Bytes("TCAH", 2), (std::vector<uint8_t> { 0x2F, 0x80 })); // from the hwmon child folder

    EXPECT_EQ(smc.Call("FNum", kSMCReadKeyInfo).error, kSMCKeyNotFound);
    EXPECT_EQ(smc.Call("TCZZ", kSMCReadBytes).error, kSMCKeyNotFound);
    EXPECT_EQ(smc.Call("TC0D", kSMCReadBytes, 3).error, kSMCBadArgument);
    EXPECT_EQ(smc.Call("TC0D", 7).error, kSMCBadArgument);
    // A key that exists but whose value cannot be read fails without a value.
    Answer unreadable = smc.Call("TC1D", kSMCReadBytes);
    EXPECT_NE(unreadable.error, 0);
    EXPECT_EQ(unreadable.record.bytes[0], 0);

    EXPECT_EQ(smc.Call("TC0D", kSMCReadBytes, kSMCUserClientMethod, smc.handle + 1).error, kSMCBadArgument);
    smc.client.CloseConnection(smc.handle);
    EXPECT_EQ(smc.Call("TC0D", kSMCReadBytes).error, kSMCBadArgument) << "a closed connection";
}

TEST(LinuxSMCUserClient, KeyFilesAnswerAnyKeyWhenTheyCanBeUsed)
{
    SysfsFixture tree;
    auto device = tree.AddAppleSMC().Temp(1, "TC0D", 99000).SingleKey("FNum", "ui8 ", { 0x02 });
    Connection smc(tree);

    // The key files win over the labelled channels: TC0D is not among the keys now.
    EXPECT_EQ(smc.Call("TC0D", kSMCReadKeyInfo).error, kSMCKeyNotFound);
    Answer info = smc.Call("FNum", kSMCReadKeyInfo);
    ASSERT_EQ(info.error, 0);
    EXPECT_EQ(info.record.dataSize, 1u);
    EXPECT_EQ(info.record.dataType, Pack("ui8 ")); // the type's trailing space is part of it
    EXPECT_EQ(smc.Bytes("FNum", 2), (std::vector<uint8_t> { 0x02, 0x00 }));
    EXPECT_EQ(TestFiles::ReadBytes(device.Folder() + "/key_at_index"), (std::vector<uint8_t> { '0', '\n' }));

    // A changed key count means the driver's keys changed, so the names are scanned again.
    device.SingleKey("TC0P", "sp78", { 0x2F, 0x40 });
    TestFiles::Write(device.Folder() + "/key_count", "2\n");
    EXPECT_EQ(smc.Bytes("TC0P", 2), (std::vector<uint8_t> { 0x2F, 0x40 }));
    EXPECT_EQ(smc.Call("FNum", kSMCReadKeyInfo).error, kSMCKeyNotFound);
}
