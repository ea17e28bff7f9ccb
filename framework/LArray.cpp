#include "framework/LArray.h"

#include <algorithm>
#include <cstring>

LArray::LArray(uint32_t itemSize, int32_t initialAllocation)
    : mItemSize(itemSize == 0 ? 1 : itemSize)
{
    if (initialAllocation > 0)
        mBytes.reserve(static_cast<size_t>(initialAllocation) * mItemSize);
}

LArray::~LArray()
{
    for (LArrayIterator* iterator : mIterators)
        iterator->mArray = nullptr;
}

ArrayIndexT LArray::InsertItemsAt(int32_t count, ArrayIndexT index, const void* item)
{
    if (count <= 0)
        return 0;
    ArrayIndexT itemCount = GetCount();
    if (index > itemCount)
        index = itemCount + 1;
    if (index < 1)
        index = 1;
    size_t offset = static_cast<size_t>(index - 1) * mItemSize;
    size_t length = static_cast<size_t>(count) * mItemSize;
    mBytes.insert(mBytes.begin() + static_cast<ptrdiff_t>(offset), length, 0);
    if (item != nullptr) {
        for (int32_t i = 0; i < count; ++i)
            std::memcpy(&mBytes[offset + static_cast<size_t>(i) * mItemSize], item, mItemSize);
    }
    for (LArrayIterator* iterator : mIterators)
        iterator->ItemsInserted(count, index);
    return index;
}

bool LArray::FetchItemAt(ArrayIndexT index, void* outItem) const
{
    index = ResolveIndex(index);
    if (index < 1 || index > GetCount())
        return false;
    std::memcpy(outItem, ItemPtr(index), mItemSize);
    return true;
}

void LArray::SetItemAt(ArrayIndexT index, const void* item)
{
    index = ResolveIndex(index);
    if (index < 1 || index > GetCount())
        return;
    std::memcpy(&mBytes[static_cast<size_t>(index - 1) * mItemSize], item, mItemSize);
}

void LArray::RemoveItemsAt(int32_t count, ArrayIndexT index)
{
    index = ResolveIndex(index);
    ArrayIndexT itemCount = GetCount();
    if (count <= 0 || index < 1 || index > itemCount)
        return;
    count = std::min(count, itemCount - index + 1);
    auto first = mBytes.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(index - 1) * mItemSize);
    mBytes.erase(first, first + static_cast<ptrdiff_t>(static_cast<size_t>(count) * mItemSize));
    for (LArrayIterator* iterator : mIterators)
        iterator->ItemsRemoved(count, index);
}

void LArray::RemoveAllItems()
{
    RemoveItemsAt(GetCount(), 1);
}

ArrayIndexT LArray::FetchIndexOf(const void* item) const
{
    ArrayIndexT count = GetCount();
    for (ArrayIndexT i = 1; i <= count; ++i) {
        if (std::memcmp(ItemPtr(i), item, mItemSize) == 0)
            return i;
    }
    return 0;
}

void LArray::Remove(const void* item)
{
    ArrayIndexT index = FetchIndexOf(item);
    if (index != 0)
        RemoveItemsAt(1, index);
}

void LArray::AttachIterator(LArrayIterator* iterator)
{
    mIterators.push_back(iterator);
}

void LArray::DetachIterator(LArrayIterator* iterator)
{
    std::erase(mIterators, iterator);
}

LArrayIterator::LArrayIterator(LArray& array, int from)
    : mArray(&array)
    , mCurrent(0)
{
    if (from == from_End) {
        mNext = array.GetCount() + 1;
        mPrevious = array.GetCount();
    } else {
        mNext = 1;
        mPrevious = 0;
    }
    array.AttachIterator(this);
}

LArrayIterator::~LArrayIterator()
{
    if (mArray != nullptr)
        mArray->DetachIterator(this);
}

bool LArrayIterator::Next(void* outItem)
{
    if (mArray == nullptr || mNext < 1 || mNext > mArray->GetCount())
        return false;
    mCurrent = mNext;
    mPrevious = mCurrent - 1;
    mNext = mCurrent + 1;
    mArray->FetchItemAt(mCurrent, outItem);
    return true;
}

bool LArrayIterator::Previous(void* outItem)
{
    if (mArray == nullptr || mPrevious < 1 || mPrevious > mArray->GetCount())
        return false;
    mCurrent = mPrevious;
    mPrevious = mCurrent - 1;
    mNext = mCurrent + 1;
    mArray->FetchItemAt(mCurrent, outItem);
    return true;
}

void LArrayIterator::ItemsInserted(int32_t count, ArrayIndexT index)
{
    // Items inserted right after the current one are still to come going forward.
    if (mCurrent != 0 && index <= mCurrent)
        mCurrent += count;
    if (index < mNext || (index == mNext && mCurrent == 0 && mPrevious >= index))
        mNext += count;
    if (index <= mPrevious)
        mPrevious += count;
}

void LArrayIterator::ItemsRemoved(int32_t count, ArrayIndexT index)
{
    ArrayIndexT lastRemoved = index + count - 1;
    if (mCurrent >= index && mCurrent <= lastRemoved)
        mCurrent = 0;
    else if (mCurrent > lastRemoved)
        mCurrent -= count;
    if (mNext > lastRemoved)
        mNext -= count;
    else if (mNext >= index)
        mNext = index;
    if (mPrevious > lastRemoved)
        mPrevious -= count;
    else if (mPrevious >= index)
        mPrevious = index - 1;
}
