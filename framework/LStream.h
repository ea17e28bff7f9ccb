// Byte streams: integers travel big-endian whatever the host's byte order; a read past the end throws eofErr.
#pragma once

#include "framework/PString.h"

#include <cstddef>
#include <cstdint>

class LStream {
public:
    virtual ~LStream() = default;

    virtual size_t GetMarker() const = 0;
    virtual void SetMarker(size_t marker) = 0;
    virtual size_t GetLength() const = 0;

    // Reads exactly count bytes or throws eofErr (after copying what there was).
    void ReadBlock(void* buffer, size_t count);
    void WriteBlock(const void* buffer, size_t count);

    LStream& operator<<(int8_t value);
    LStream& operator<<(uint8_t value);
    LStream& operator<<(bool value);
    LStream& operator<<(int16_t value);
    LStream& operator<<(uint16_t value);
    LStream& operator<<(int32_t value);
    LStream& operator<<(uint32_t value);
    LStream& operator<<(const Str255& text); // length byte and text

    LStream& operator>>(int8_t& value);
    LStream& operator>>(uint8_t& value);
    LStream& operator>>(bool& value);
    LStream& operator>>(int16_t& value);
    LStream& operator>>(uint16_t& value);
    LStream& operator>>(int32_t& value);
    LStream& operator>>(uint32_t& value);
    LStream& operator>>(Str255& text);

protected:
    // Copy up to count bytes; return how many.
    virtual size_t GetBytes(void* buffer, size_t count) = 0;
    virtual void PutBytes(const void* buffer, size_t count) = 0;
};
