// A sensor's history of samples, position 1 the newest: one block of samples used as a ring, so that a
// new sample costs no allocation and no move of the others, however long the history.
#pragma once

#include "framework/LArray.h"
#include "sensors/TempElement.h"

#include <cstdint>
#include <vector>

class TempElementArray {
public:
    // The history holds at most capacity samples once sampling runs; the block is made at the first sample.
    explicit TempElementArray(int32_t capacity);

    ArrayIndexT GetCount() const { return mCount; }
    bool IsEmpty() const { return mCount == 0; }
    int32_t GetCapacity() const { return mCapacity; }

    // The sample at position index, from 1 (newest) to the count (oldest); null outside that range.
    const TempElement* operator[](ArrayIndexT index) const
    {
        if (index < 1 || index > mCount)
            return nullptr;
        size_t slot = mNewest + static_cast<size_t>(index - 1);
        return &mSlots[slot < mSlots.size() ? slot : slot - mSlots.size()];
    }

    // A new sample at position 1; a full history lets its oldest go.
    void AddNewest(int32_t raw);
    // A sample after the oldest, as a file lists them. A file may hold more than the capacity: all of
    // them stay until the next new sample.
    void AddOldest(int32_t raw);
    void RemoveAllItems();

private:
    // The same samples at the same positions in a block of size slots, position 1 in the first.
    void Repack(size_t size);

    int32_t mCapacity;
    std::vector<TempElement> mSlots;
    // The slot of position 1.
    size_t mNewest = 0;
    ArrayIndexT mCount = 0;
};
