// A stream over bytes held in memory.
#pragma once

#include "framework/LStream.h"

#include <vector>

class LMemoryStream : public LStream {
public:
    LMemoryStream() = default;
    explicit LMemoryStream(std::vector<uint8_t> bytes);

    size_t GetMarker() const override { return mMarker; }
    void SetMarker(size_t marker) override { mMarker = marker > mBytes.size() ? mBytes.size() : marker; }
    size_t GetLength() const override { return mBytes.size(); }

    const std::vector<uint8_t>& GetBytesHeld() const { return mBytes; }
    std::vector<uint8_t>& GetBytesHeld() { return mBytes; }

protected:
    size_t GetBytes(void* buffer, size_t count) override;
    void PutBytes(const void* buffer, size_t count) override;

    std::vector<uint8_t> mBytes;
    size_t mMarker = 0;
};
