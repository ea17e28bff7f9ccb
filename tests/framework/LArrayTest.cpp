#include "framework/LArray.h"
#include "framework/PString.h"

#include <gtest/gtest.h>

namespace {

std::vector<int32_t> Items(const TArray<int32_t>& array)
{
    std::vector<int32_t> items;
    for (ArrayIndexT i = 1; i <= array.GetCount(); ++i)
        items.push_back(array[i]);
    return items;
}

}

TEST(LArray, InsertOutsideTheRangeAppendsOrPrepends)
{
    TArray<int32_t> array(2);
    array.InsertItemAt(5, 10); // above the count: appends
    array.InsertItemAt(0, 20); // below 1: prepends
    array.InsertItemAt(-7, 30);
    array.InsertItemAt(index_Last, 40);
    array.InsertItemAt(2, 50);
    EXPECT_EQ(Items(array), std::vector<int32_t>({ 30, 50, 20, 10, 40 }));
}

TEST(LArray, FetchAndRemoveOutsideTheRange)
{
    TArray<int32_t> array;
    for (int32_t value : { 1, 2, 3 })
        array.AddItem(value);
    int32_t item = -1;
    EXPECT_FALSE(array.FetchItemAt(0, item));
    EXPECT_FALSE(array.FetchItemAt(4, item));
    EXPECT_EQ(item, -1);
    EXPECT_TRUE(array.FetchItemAt(index_Last, item));
    EXPECT_EQ(item, 3);
    array.RemoveItemsAt(1, 0);
    array.RemoveItemsAt(1, 4);
    EXPECT_EQ(Items(array), std::vector<int32_t>({ 1, 2, 3 }));
    array.RemoveItemsAt(1, index_Last);
    EXPECT_EQ(Items(array), std::vector<int32_t>({ 1, 2 }));
    array.RemoveItemsAt(10, 2); // more than there are: up to the end
    EXPECT_EQ(Items(array), std::vector<int32_t>({ 1 }));
    EXPECT_EQ(array.FetchIndexOf(1), 1);
    EXPECT_EQ(array.FetchIndexOf(9), 0);
}

TEST(LArray, IterationToleratesRemovingTheCurrentItem)
{
    TArray<int32_t> array;
    for (int32_t value : { 1, 2, 3, 4, 5 })
        array.AddItem(value);
    std::vector<int32_t> seen;
    TArrayIterator<int32_t> iterator(array);
    int32_t item;
    while (iterator.Next(item)) {
        seen.push_back(item);
        if (item % 2 == 0)
            array.RemoveItemsAt(1, iterator.GetCurrentIndex());
    }
    EXPECT_EQ(seen, std::vector<int32_t>({ 1, 2, 3, 4, 5 }));
    EXPECT_EQ(Items(array), std::vector<int32_t>({ 1, 3, 5 }));
}

TEST(LArray, BackwardIterationToleratesRemoval)
{
    TArray<int32_t> array;
    for (int32_t value : { 1, 2, 3, 4 })
        array.AddItem(value);
    std::vector<int32_t> seen;
    TArrayIterator<int32_t> iterator(array, LArrayIterator::from_End);
    int32_t item;
    while (iterator.Previous(item)) {
        seen.push_back(item);
        if (item == 3 || item == 1)
            array.Remove(item);
    }
    EXPECT_EQ(seen, std::vector<int32_t>({ 4, 3, 2, 1 }));
    EXPECT_EQ(Items(array), std::vector<int32_t>({ 2, 4 }));
}

TEST(LArray, IterationSeesItemsInsertedAheadOnly)
{
    TArray<int32_t> array;
    for (int32_t value : { 1, 2, 3 })
        array.AddItem(value);
    std::vector<int32_t> seen;
    TArrayIterator<int32_t> iterator(array);
    int32_t item;
    while (iterator.Next(item)) {
        seen.push_back(item);
        if (item == 2) {
            array.InsertItemAt(1, 0); // behind: not visited, and the walk does not repeat 2
            array.AddItem(4); // ahead: visited
        }
    }
    EXPECT_EQ(seen, std::vector<int32_t>({ 1, 2, 3, 4 }));
}

TEST(LArray, HoldsFixedSizeStrings)
{
    TArray<Str255> names(12);
    names.AddItem(MakeStr255("CPU temperature"));
    Str255 name;
    ASSERT_TRUE(names.FetchItemAt(1, name));
    EXPECT_EQ(Str255ToString(name), "CPU temperature");
    EXPECT_EQ(names.GetItemSize(), 256u);
}
