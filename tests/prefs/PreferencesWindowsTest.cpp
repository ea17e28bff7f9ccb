#include "framework/LListener.h"
#include "framework/LMemoryStream.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/Preferences.h"
#include "prefs/RecordedDataWindow.h"
#include "prefs/RecordedGraphWindow.h"
#include "tests/prefs/SettingsFixture.h"

namespace {

// Stand-ins for the windows, each recording itself by a number of its own.
class StandInDataWindow : public RecordedDataWindow {
public:
    explicit StandInDataWindow(int16_t top)
        : mTop(top)
    {
    }
    void GetWindowPrefs(DataWindowPrefs* prefs) override { prefs->SetWindowRect(Rect { mTop, 0, 100, 200 }); }
    void SetWindowPrefs(DataWindowPrefs*) override { }

private:
    int16_t mTop;
};

class StandInGraphWindow : public RecordedGraphWindow {
public:
    explicit StandInGraphWindow(int16_t item)
        : mItem(item)
    {
    }
    void GetWindowPrefs(GraphWindowPrefs* prefs) override { prefs->SetDisplayMenuItem(mItem); }
    void SetWindowPrefs(GraphWindowPrefs*) override { }

private:
    int16_t mItem;
};

class MessageLog : public LListener {
public:
    void ListenToMessage(MessageT message, void* parameter) override { messages.emplace_back(message, parameter); }
    std::vector<std::pair<MessageT, void*>> messages;
};

}

class PreferencesWindows : public SettingsTest {
protected:
    // The windows recorded by a save, as the next start reads them: data windows by top, graph windows
    // (negative) by display item.
    std::vector<int16_t> SavedWindows()
    {
        Preferences::SavePrefs();
        Preferences::DeleteInstanceForTesting();
        Preferences::Get();
        Preferences::ReadPrefs();
        std::vector<int16_t> windows;
        for (DataWindowPrefs* record : Records(Preferences::Get()->GetDataWindowPrefsArray()))
            windows.push_back(record->GetWindowRect().top);
        for (GraphWindowPrefs* record : Records(Preferences::Get()->GetGraphWindowPrefsArray()))
            windows.push_back(static_cast<int16_t>(-record->GetDisplayMenuItem()));
        return windows;
    }
    template <typename T> static std::vector<T*> Records(TArray<T*>* array)
    {
        std::vector<T*> records;
        for (ArrayIndexT i = 1; i <= array->GetCount(); ++i)
            records.push_back((*array)[i]);
        return records;
    }
};

TEST_F(PreferencesWindows, OnlyWindowsStillOpenAreRecordedInTheOrderAdded)
{
    StandInDataWindow first(10), second(20), third(30);
    StandInGraphWindow graph(1), otherGraph(2);
    Preferences* prefs = Preferences::Get();
    for (StandInDataWindow* window : { &first, &second, &third })
        prefs->AddDataWindow(window);
    prefs->AddGraphWindow(&graph);
    prefs->AddGraphWindow(&otherGraph);
    second.BroadcastWindowClosing();
    graph.BroadcastWindowClosing();
    EXPECT_EQ(SavedWindows(), (std::vector<int16_t> { 10, 30, -2 }));
}

TEST_F(PreferencesWindows, ClosingMessagesTouchOnlyTheirOwnList)
{
    StandInDataWindow data(10);
    StandInGraphWindow graph(1);
    Preferences* prefs = Preferences::Get();
    prefs->AddDataWindow(&data);
    prefs->AddGraphWindow(&graph);
    StandInDataWindow stranger(99);
    stranger.AddListener(prefs);
    stranger.BroadcastWindowClosing();
    prefs->ListenToMessage(msg_GraphWindowClosing, static_cast<RecordedDataWindow*>(&data));
    prefs->ListenToMessage(msg_DataWindowClosing, static_cast<RecordedGraphWindow*>(&graph));
    EXPECT_EQ(SavedWindows(), (std::vector<int16_t> { 10, -1 }));
}

TEST_F(PreferencesWindows, AWindowDestroyedWithoutSayingSoIsDropped)
{
    StandInDataWindow kept(10);
    Preferences::Get()->AddDataWindow(&kept);
    {
        StandInDataWindow shortLived(20);
        Preferences::Get()->AddDataWindow(&shortLived);
    }
    EXPECT_EQ(SavedWindows(), (std::vector<int16_t> { 10 }));
}

TEST_F(PreferencesWindows, NotifySubscribersAloneBroadcastsPCha)
{
    MessageLog log;
    Preferences* prefs = Preferences::Get();
    prefs->AddListener(&log);
    StandInDataWindow window(10);
    prefs->AddDataWindow(&window);
    prefs->SetTemperatureScale(3);
    window.BroadcastWindowClosing();
    EXPECT_TRUE(log.messages.empty()) << "setters and window bookkeeping do not notify";
    prefs->NotifySubscribers();
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0], std::make_pair(FourCC("PCha"), static_cast<void*>(nullptr)));
}

TEST(WindowRecords, WriteTheirFieldsInFileOrder)
{
    DataWindowPrefs data;
    data.SetWindowRect(Rect { 1, -2, 300, 0x1234 });
    data.SetSensorDisplayMask(0x800000F6);
    data.GetSensorNames()->AddItem(MakeStr255("ab"));
    LMemoryStream dataStream;
    data.StreamOut(dataStream);
    EXPECT_EQ(dataStream.GetBytesHeld(),
        (std::vector<uint8_t> { 0, 0, 0x03, 0xE5, 0, 1, 0xFF, 0xFE, 0x01, 0x2C, 0x12, 0x34, 0x80, 0, 0, 0xF6, 2, 0, 0,
            0, 1, 2, 'a', 'b' }));

    GraphWindowPrefs graph;
    graph.SetWindowRect(Rect { 1, 2, 3, 4 });
    graph.SetDisplayMenuItem(-2);
    LMemoryStream graphStream;
    graph.StreamOut(graphStream);
    EXPECT_EQ(graphStream.GetBytesHeld(),
        (std::vector<uint8_t> { 0, 0, 0x03, 0xE5, 0, 1, 0, 2, 0, 3, 0, 4, 0xFF, 0xFE, 0, 0, 0, 0 }));
}
