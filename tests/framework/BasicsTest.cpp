#include "framework/LArray.h"
#include "framework/LBroadcaster.h"
#include "framework/LException.h"
#include "framework/LFileStream.h"
#include "framework/LListener.h"
#include "framework/LPeriodical.h"
#include "tests/support/TestFolders.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

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

std::vector<std::string> sHeard;

struct Recorder : LListener {
    explicit Recorder(char name) { this->name = name; }
    void ListenToMessage(MessageT message, void*) override { sHeard.push_back(name + FourCCToText(message)); }
    char name;
};

struct Counter : LPeriodical {
    void SpendTime(const EventRecord&) override
    {
        ++fired;
        if (throws)
            Throw_(err_AssertionFailed);
    }
    int fired = 0;
    bool throws = false;
};

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
    EXPECT_FALSE(array.FetchItemAt(0, item) || array.FetchItemAt(4, item) || item != -1);
    EXPECT_TRUE(array.FetchItemAt(index_Last, item) && item == 3);
    array.RemoveItemsAt(1, 0);
    array.RemoveItemsAt(1, 4);
    EXPECT_EQ(Held(array), Items({ 1, 2, 3 }));
    array.RemoveItemsAt(1, index_Last);
    EXPECT_EQ(Held(array), Items({ 1, 2 }));
    array.RemoveItemsAt(10, 2); // more than there are: up to the end
    EXPECT_EQ(Held(array), Items({ 1 }));
    EXPECT_EQ(array.FetchIndexOf(9), 0);
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

// The old, longer content is gone: no tail and no temporary file is left behind.
TEST(LFileStream, CommitReplacesTheFileWholeAndFailuresRaiseTheirErrorCodes)
{
    TemporaryFolder folder;
    std::string path = folder / "file";
    TestFiles::WriteBytes(path, std::vector<uint8_t>(100, 0xEE));
    LFileStream out;
    out << int32_t(3);
    out.Commit(path);
    EXPECT_EQ(TestFiles::ReadBytes(path), std::vector<uint8_t>({ 0, 0, 0, 3 }));
    EXPECT_EQ(TestFiles::List(folder.Path()), std::vector<std::string>({ "file" }));
    EXPECT_THROW(out.Commit(folder / "no such folder/file"), LException);
    try {
        LFileStream().OpenForReading(folder / "missing", 64);
        ADD_FAILURE() << "a missing file opened";
    } catch (const LException& e) {
        EXPECT_EQ(e.GetErrorCode(), fnfErr);
    }
}

// Once each, in the order added, not after StopListening; either side may go first.
TEST(Messaging, ListenersHearInOrderOnceWhileTheyListen)
{
    auto a = std::make_unique<Recorder>('a');
    {
        LBroadcaster broadcaster;
        Recorder b('b');
        auto gone = std::make_unique<Recorder>('c');
        for (LListener* listener : std::initializer_list<LListener*> { &b, a.get(), &b, gone.get() })
            broadcaster.AddListener(listener);
        gone.reset();
        broadcaster.BroadcastMessage(FourCC("PCha"));
        b.StopListening();
        broadcaster.BroadcastMessage(FourCC("DatR"));
    }
    EXPECT_EQ(sHeard, std::vector<std::string>({ "bPCha", "aPCha", "aDatR" }));
    a.reset(); // its broadcaster is gone already: nothing to unlink
}

TEST(Messaging, FourCharCodes)
{
    EXPECT_EQ(FourCC("nilP"), 0x6E696C50);
    EXPECT_EQ(FourCCFromText("Tc03"), FourCC("Tc03"));
    EXPECT_EQ(FourCCFromText("Na"), 0x4E610000);
    EXPECT_EQ(LException::DescribeCode(eofErr), "end of file (-39)");
}

// Each waits for a fast reference timer to tick, never for a fixed time.
TEST(LPeriodical, FiresAfterEachIntervalUntilStoppedOrReplacedAndSurvivesExceptions)
{
    Counter replaced, stopped, throwing, clock;
    replaced.StartIdling(0.02);
    replaced.StartIdling(60.0);
    stopped.StartIdling(0.02);
    throwing.throws = true;
    throwing.StartIdling(0.02);
    clock.StartIdling(0.02);
    auto runUntil = [](auto condition) {
        QElapsedTimer limit;
        limit.start();
        while (!condition() && limit.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return condition();
    };
    testing::internal::CaptureStderr();
    ASSERT_TRUE(runUntil([&] { return stopped.fired >= 3 && throwing.fired >= 2; }));
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("'asrt'"), std::string::npos) << report;
    EXPECT_TRUE(throwing.IsIdling()) << "an exception leaves the timer running";
    throwing.StopIdling();
    stopped.StopIdling();
    EXPECT_FALSE(stopped.IsIdling());
    int fired = stopped.fired;
    int ticks = clock.fired;
    ASSERT_TRUE(runUntil([&] { return clock.fired >= ticks + 3; }));
    EXPECT_EQ(stopped.fired, fired);
    EXPECT_EQ(replaced.fired, 0) << "not at once, and restarting replaces the timer";
}
