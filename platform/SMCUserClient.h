// The SMC driver's user client: finding the service, opening a connection, and the structure method
// that answers key-information (command 9) and read-bytes (command 5) requests.
#pragma once

#include "platform/SMCKeyData.h"

#include <cstdint>

class SMCUserClient {
public:
    virtual ~SMCUserClient() = default;

    // Looks for the SMC service; non-zero on error, otherwise found tells whether there is one.
    virtual int32_t FindService(bool& found) = 0;
    // Opens a connection to the service found; non-zero on error.
    virtual int32_t OpenConnection(uint32_t& connection) = 0;
    virtual void CloseConnection(uint32_t connection) = 0;
    // One request; non-zero on error.
    virtual int32_t CallStructMethod(
        uint32_t connection, uint32_t selector, const SMCKeyData_t& input, SMCKeyData_t& output)
        = 0;
};
