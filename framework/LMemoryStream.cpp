#include "framework/LMemoryStream.h"

#include <algorithm>
#include <cstring>

LMemoryStream::LMemoryStream(std::vector<uint8_t> bytes)
    : mBytes(std::move(bytes))
{
}

size_t LMemoryStream::GetBytes(void* buffer, size_t count)
{
    size_t available = std::min(count, mBytes.size() - mMarker);
    if (available > 0)
        std::memcpy(buffer, mBytes.data() + mMarker, available);
    mMarker += available;
    return available;
}

void LMemoryStream::PutBytes(const void* buffer, size_t count)
{
    if (count == 0)
        return;
    if (mMarker + count > mBytes.size())
        mBytes.resize(mMarker + count);
    std::memcpy(mBytes.data() + mMarker, buffer, count);
    mMarker += count;
}
