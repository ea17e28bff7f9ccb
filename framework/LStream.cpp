#include "framework/LStream.h"

#include "framework/LException.h"

namespace {

template <typename T> void PutBigEndian(LStream& stream, T value)
{
    uint8_t bytes[sizeof(T)];
    auto raw = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<uint8_t>(raw >> (8 * (sizeof(T) - 1 - i)));
    stream.WriteBlock(bytes, sizeof(T));
}

template <typename T> T GetBigEndian(LStream& stream)
{
    uint8_t bytes[sizeof(T)];
    stream.ReadBlock(bytes, sizeof(T));
    std::make_unsigned_t<T> raw = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        raw = static_cast<std::make_unsigned_t<T>>((raw << 8) | bytes[i]);
    return static_cast<T>(raw);
}

}

void LStream::ReadBlock(void* buffer, size_t count)
{
    if (GetBytes(buffer, count) != count)
        Throw_(eofErr);
}

void LStream::WriteBlock(const void* buffer, size_t count)
{
    PutBytes(buffer, count);
}

LStream& LStream::operator<<(int8_t value)
{
    return *this << static_cast<uint8_t>(value);
}
LStream& LStream::operator<<(uint8_t value)
{
    WriteBlock(&value, 1);
    return *this;
}
LStream& LStream::operator<<(bool value)
{
    return *this << static_cast<uint8_t>(value ? 1 : 0);
}
LStream& LStream::operator<<(int16_t value)
{
    PutBigEndian(*this, value);
    return *this;
}
LStream& LStream::operator<<(uint16_t value)
{
    PutBigEndian(*this, value);
    return *this;
}
LStream& LStream::operator<<(int32_t value)
{
    PutBigEndian(*this, value);
    return *this;
}
LStream& LStream::operator<<(uint32_t value)
{
    PutBigEndian(*this, value);
    return *this;
}
LStream& LStream::operator<<(const Str255& text)
{
    WriteBlock(text.data(), static_cast<size_t>(text[0]) + 1);
    return *this;
}

LStream& LStream::operator>>(int8_t& value)
{
    uint8_t byte;
    *this >> byte;
    value = static_cast<int8_t>(byte);
    return *this;
}
LStream& LStream::operator>>(uint8_t& value)
{
    ReadBlock(&value, 1);
    return *this;
}
LStream& LStream::operator>>(bool& value)
{
    uint8_t byte;
    *this >> byte;
    value = byte != 0;
    return *this;
}
LStream& LStream::operator>>(int16_t& value)
{
    value = GetBigEndian<int16_t>(*this);
    return *this;
}
LStream& LStream::operator>>(uint16_t& value)
{
    value = GetBigEndian<uint16_t>(*this);
    return *this;
}
LStream& LStream::operator>>(int32_t& value)
{
    value = GetBigEndian<int32_t>(*this);
    return *this;
}
LStream& LStream::operator>>(uint32_t& value)
{
    value = GetBigEndian<uint32_t>(*this);
    return *this;
}
LStream& LStream::operator>>(Str255& text)
{
    text.fill(0);
    ReadBlock(text.data(), 1);
    ReadBlock(text.data() + 1, text[0]);
    return *this;
}
