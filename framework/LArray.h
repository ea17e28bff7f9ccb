// The framework's dynamic array of fixed-size items, indexed from 1 to its count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using ArrayIndexT = int32_t;

// The index that stands for the last item.
constexpr ArrayIndexT index_Last = 0x7FFFFFFF;

class LArrayIterator;

class LArray {
public:
    LArray(uint32_t itemSize, int32_t initialAllocation = 0);
    virtual ~LArray();

    LArray(const LArray&) = delete;
    LArray& operator=(const LArray&) = delete;

    uint32_t GetItemSize() const { return mItemSize; }
    ArrayIndexT GetCount() const { return static_cast<ArrayIndexT>(mBytes.size() / mItemSize); }
    bool IsEmpty() const { return mBytes.empty(); }

    // Inserting above the count appends, below 1 prepends. Returns the index the first item took.
    ArrayIndexT InsertItemsAt(int32_t count, ArrayIndexT index, const void* item);
    ArrayIndexT AddItem(const void* item) { return InsertItemsAt(1, GetCount() + 1, item); }

    // Copies item index out; false (and nothing copied) for an index outside 1 to the count.
    bool FetchItemAt(ArrayIndexT index, void* outItem) const;
    // Replaces item index; an index outside 1 to the count does nothing.
    void SetItemAt(ArrayIndexT index, const void* item);

    // Removing at an index outside 1 to the count does nothing.
    void RemoveItemsAt(int32_t count, ArrayIndexT index);
    void RemoveAllItems();

    // The index of the first item whose bytes equal item's, 0 when there is none.
    ArrayIndexT FetchIndexOf(const void* item) const;
    void Remove(const void* item);

    // Direct read access for hot loops; index must be in 1 to the count.
    const void* ItemPtr(ArrayIndexT index) const { return &mBytes[static_cast<size_t>(index - 1) * mItemSize]; }

private:
    friend class LArrayIterator;

    ArrayIndexT ResolveIndex(ArrayIndexT index) const { return index == index_Last ? GetCount() : index; }
    void AttachIterator(LArrayIterator* iterator);
    void DetachIterator(LArrayIterator* iterator);

    uint32_t mItemSize;
    std::vector<uint8_t> mBytes;
    std::vector<LArrayIterator*> mIterators;
};

// Walks an array from the first item to the last (or back); removing the current item while
// iterating is safe, as the array keeps its iterators' positions up to date.
class LArrayIterator {
public:
    enum { from_Start = 0, from_End = 1 };

    explicit LArrayIterator(LArray& array, int from = from_Start);
    ~LArrayIterator();

    LArrayIterator(const LArrayIterator&) = delete;
    LArrayIterator& operator=(const LArrayIterator&) = delete;

    bool Next(void* outItem);
    bool Previous(void* outItem);
    ArrayIndexT GetCurrentIndex() const { return mCurrent; }

private:
    friend class LArray;
    void ItemsInserted(int32_t count, ArrayIndexT index);
    void ItemsRemoved(int32_t count, ArrayIndexT index);

    LArray* mArray;
    ArrayIndexT mCurrent; // 0 when there is none, or it was removed
    ArrayIndexT mNext;
    ArrayIndexT mPrevious;
};

// A typed view of LArray for the program's item types (pointers, 32-bit values, 256-byte strings).
template <typename T> class TArray : public LArray {
public:
    explicit TArray(int32_t initialAllocation = 0)
        : LArray(sizeof(T), initialAllocation)
    {
    }

    ArrayIndexT AddItem(const T& item) { return LArray::AddItem(&item); }
    ArrayIndexT InsertItemAt(ArrayIndexT index, const T& item) { return InsertItemsAt(1, index, &item); }
    bool FetchItemAt(ArrayIndexT index, T& outItem) const { return LArray::FetchItemAt(index, &outItem); }
    void SetItemAt(ArrayIndexT index, const T& item) { LArray::SetItemAt(index, &item); }
    ArrayIndexT FetchIndexOf(const T& item) const { return LArray::FetchIndexOf(&item); }
    void Remove(const T& item) { LArray::Remove(&item); }
    const T& operator[](ArrayIndexT index) const { return *static_cast<const T*>(ItemPtr(index)); }
};

template <typename T> class TArrayIterator : public LArrayIterator {
public:
    explicit TArrayIterator(TArray<T>& array, int from = from_Start)
        : LArrayIterator(array, from)
    {
    }
    bool Next(T& outItem) { return LArrayIterator::Next(&outItem); }
    bool Previous(T& outItem) { return LArrayIterator::Previous(&outItem); }
};
