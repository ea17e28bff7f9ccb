// The SMC user client over the Linux applesmc driver (/sys/devices/platform/applesmc.768 below a root).
#pragma once

#include "platform/SMCUserClient.h"

#include <memory>
#include <string>

class LinuxSMCUserClient : public SMCUserClient {
public:
    explicit LinuxSMCUserClient(std::string root);
    ~LinuxSMCUserClient() override;

    int32_t FindService(bool& found) override;
    int32_t OpenConnection(uint32_t& connection) override;
    void CloseConnection(uint32_t connection) override;
    int32_t CallStructMethod(
        uint32_t connection, uint32_t selector, const SMCKeyData_t& input, SMCKeyData_t& output) override;

private:
    struct Impl;
    std::unique_ptr<Impl> mImpl;
};
