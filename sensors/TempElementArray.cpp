#include "sensors/TempElementArray.h"

#include <algorithm>

TempElementArray::TempElementArray(int32_t capacity)
    : mCapacity(std::max(1, capacity))
{
}

void TempElementArray::AddNewest(int32_t raw)
{
    const auto capacity = static_cast<size_t>(mCapacity);
    if (static_cast<size_t>(mCount) >= capacity) {
        // Full: the new sample takes the oldest one's slot (once a longer file's surplus is let go).
        if (mSlots.size() != capacity)
            Repack(capacity);
        mCount = mCapacity - 1;
    } else if (mSlots.size() == static_cast<size_t>(mCount)) {
        Repack(capacity);
    }
    mNewest = mNewest == 0 ? mSlots.size() - 1 : mNewest - 1;
    mSlots[mNewest] = TempElement(raw);
    ++mCount;
}

void TempElementArray::AddOldest(int32_t raw)
{
    if (mSlots.size() == static_cast<size_t>(mCount))
        Repack(std::max(static_cast<size_t>(mCapacity), mSlots.size() * 2));
    size_t slot = (mNewest + static_cast<size_t>(mCount)) % mSlots.size();
    mSlots[slot] = TempElement(raw);
    ++mCount;
}

void TempElementArray::RemoveAllItems()
{
    mSlots = std::vector<TempElement>();
    mNewest = 0;
    mCount = 0;
}

void TempElementArray::Repack(size_t size)
{
    auto kept = static_cast<ArrayIndexT>(std::min(size, static_cast<size_t>(mCount)));
    std::vector<TempElement> slots(size);
    for (ArrayIndexT i = 1; i <= kept; ++i)
        slots[static_cast<size_t>(i - 1)] = *(*this)[i];
    mSlots = std::move(slots);
    mNewest = 0;
    mCount = kept;
}
