#include "framework/LArray.h"
#include "framework/PString.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Items = std::vector<int32_t>;

void Fill(TArray<int32_t>& array, const Items& items)
{
    for (int32_t item : items)
        array.AddItem(item);
}

Items Held(const TArray<int32_t>& array)
{
    Items items;
    for (ArrayIndexT i = 1; i <= array.GetCount(); ++i)
        items.push_back(array[i]);
    return items;
}

}

TEST(LArray, IndicesOutsideTheRangeAppendPrependOrAreIgnored)
{
    TArray<int32_t> array(2);
    for (auto [index, value] : { std::pair { 5, 10 }, { 0, 20 }, { -7, 30 }, { index_Last, 40 }, { 2, 50 } })
        array.InsertItemAt(index, value);
    EXPECT_EQ(Held(array), Items({ 30, 50, 20, 10, 40 }));

    array.RemoveAllItems();
    Fill(array, { 1, 2, 3 });
    int32_t item = -1;
    EXPECT_FALSE(array.FetchItemAt(0, item));
    EXPECT_FALSE(array.FetchItemAt(4, item));
    EXPECT_EQ(item, -1);
    EXPECT_TRUE(array.FetchItemAt(index_Last, item));
    EXPECT_EQ(item, 3);
    array.RemoveItemsAt(1, 0);
    array.RemoveItemsAt(1, 4);
    EXPECT_EQ(Held(array), Items({ 1, 2, 3 }));
    array.RemoveItemsAt(1, index_Last);
    EXPECT_EQ(Held(array), Items({ 1, 2 }));
    array.RemoveItemsAt(10, 2); // more than there are: up to the end
    EXPECT_EQ(Held(array), Items({ 1 }));
    EXPECT_EQ(array.FetchIndexOf(1), 1);
    EXPECT_EQ(array.FetchIndexOf(9), 0);

    TArray<Str255> names(12);
    names.AddItem(MakeStr255("CPU temperature"));
    EXPECT_EQ(Str255ToString(names[1]), "CPU temperature");
    EXPECT_EQ(names.GetItemSize(), 256u);
}

// An iterator visits every item once although the array changes under it.
TEST(LArray, IterationToleratesChangesToTheArray)
{
    const struct {
        const char* name;
        Items items;
        bool backward;
        std::function<void(TArray<int32_t>&, TArrayIterator<int32_t>&, int32_t)> change;
        Items seen;
        Items left;
    } cases[] = {
        { "removing the current item", { 1, 2, 3, 4, 5 }, false,
            [](auto& array, auto& iterator, int32_t item) {
                if (item % 2 == 0)
                    array.RemoveItemsAt(1, iterator.GetCurrentIndex());
            },
            { 1, 2, 3, 4, 5 }, { 1, 3, 5 } },
        { "removing backwards", { 1, 2, 3, 4 }, true,
            [](auto& array, auto&, int32_t item) {
                if (item == 3 || item == 1)
                    array.Remove(item);
            },
            { 4, 3, 2, 1 }, { 2, 4 } },
        // Behind the iterator: not visited, and the walk does not repeat 2; ahead: visited.
        { "inserting", { 1, 2, 3 }, false,
            [](auto& array, auto&, int32_t item) {
                if (item == 2) {
                    array.InsertItemAt(1, 0);
                    array.AddItem(4);
                }
            },
            { 1, 2, 3, 4 }, { 0, 1, 2, 3, 4 } },
    };
    for (const auto& each : cases) {
        TArray<int32_t> array;
        Fill(array, each.items);
        TArrayIterator<int32_t> iterator(array, each.backward ? LArrayIterator::from_End : LArrayIterator::from_Start);
        Items seen;
        int32_t item;
        while (each.backward ? iterator.Previous(item) : iterator.Next(item)) {
            seen.push_back(item);
            each.change(array, iterator, item);
        }
        EXPECT_EQ(seen, each.seen) << each.name;
        EXPECT_EQ(Held(array), each.left) << each.name;
    }
}
