// An in-memory SMC for tests, answering requests from a key table.
#pragma once

#include "platform/SMCUserClient.h"

#include <map>
#include <string>
#include <vector>

class FixtureSMCUserClient : public SMCUserClient {
public:
    struct Key {
        std::string type; // four characters, "sp78" for temperatures
        std::vector<uint8_t> bytes;
    };

    void SetKey(const std::string& name, Key key) { mKeys[name] = std::move(key); }
    void SetPresent(bool present) { mPresent = present; }
    void SetFindError(int32_t err) { mFindError = err; }
    void SetOpenError(int32_t err) { mOpenError = err; }

    int32_t FindService(bool& found) override;
    int32_t OpenConnection(uint32_t& connection) override;
    void CloseConnection(uint32_t connection) override;
    int32_t CallStructMethod(
        uint32_t connection, uint32_t selector, const SMCKeyData_t& input, SMCKeyData_t& output) override;

    // Every request received, for tests of what was sent.
    const std::vector<SMCKeyData_t>& Requests() const { return mRequests; }
    bool IsOpen() const { return mOpen; }

private:
    std::map<std::string, Key> mKeys;
    std::vector<SMCKeyData_t> mRequests;
    bool mPresent = true;
    bool mOpen = false;
    int32_t mFindError = 0;
    int32_t mOpenError = 0;
};
