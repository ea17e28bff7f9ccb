#include "framework/LException.h"
#include "framework/ULocale.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/KelvaraSettings.h"
#include "prefs/Preferences.h"
#include "prefs/RecordedWindow.h"
#include "sensors/TemperatureSensor.h"
#include "tests/prefs/SettingsFixture.h"
#include "tests/support/Sampling.h"
#include "util/TemperatureUnits.h"

#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <tuple>

namespace fs = std::filesystem;

namespace {

// The bytes of a preferences file, field by field, big-endian.
struct FileBytes {
    std::vector<uint8_t> bytes;

    FileBytes& Append(const std::vector<uint8_t>& more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    FileBytes& U8(uint32_t value) { return Append({ static_cast<uint8_t>(value) }); }
    FileBytes& U16(uint32_t value) { return U8(value >> 8).U8(value); }
    FileBytes& U32(uint32_t value) { return U16(value >> 16).U16(value); }
    // A count, then each name as a length byte and its characters.
    FileBytes& Names(const std::vector<std::string>& names)
    {
        U32(static_cast<uint32_t>(names.size()));
        for (const std::string& name : names)
            U8(static_cast<uint32_t>(name.size())).Append(std::vector<uint8_t>(name.begin(), name.end()));
        return *this;
    }
};

const FileBytes kNoRecords = FileBytes().U32(0).U32(0);
// A data window's record, then a graph window's.
FileBytes TwoRecords()
{
    FileBytes records;
    records.U32(1).U32(997).U16(10).U16(20).U16(300).U16(400).U32(0x86).U8(0).Names({ "Sensor A", "Sensor B" });
    return records.U32(1).U32(997).U16(50).U16(60).U16(500).U16(600).U16(0).Names({ "Sensor B" });
}

// A first run's settings, with the given names in both Dock lists.
FileBytes DefaultsFile(uint32_t creation, const std::vector<std::string>& dockNames,
    const FileBytes& records = kNoRecords, int16_t scale = kScaleFahrenheit)
{
    const uint8_t firstRunColours[12][3]
        = { { 0, 171, 0 }, { 255, 0, 0 }, { 64, 140, 255 }, { 217, 119, 0 }, { 194, 13, 255 }, { 0, 163, 163 },
              { 217, 98, 205 }, { 120, 156, 54 }, { 255, 13, 182 }, { 7, 140, 47 }, { 209, 94, 106 }, { 255, 0, 64 } };
    FileBytes file;
    file.U16(120).U8(0).U32(creation).U16(scale).U8(0).U8(1).Append(records.bytes);
    for (int i = 0; i < 12; ++i) {
        for (int channel = 0; channel < 3; ++channel)
            file.U16(firstRunColours[i][channel] * 257);
    }
    file.U32(1).U16(1).Names(dockNames).U16(1).U16(1).Names(dockNames).U16(1).U8(1);
    return file;
}

// Every setting away from its default; version 90 has no VersionCheck byte.
FileBytes SettingsFile(uint16_t version, const FileBytes& records,
    const FileBytes& dockGraphNames = FileBytes().Names({ "Sensor A", "Sensor B" }))
{
    FileBytes file;
    file.U16(version).U8(0x5A).U32(12345).U16(1).U8(1).U8(0).Append(records.bytes);
    for (uint32_t i = 0; i < 36; ++i)
        file.U16(i * 1000 + 1);
    file.U32(2).U16(3).Append(dockGraphNames.bytes).U16(4).U16(5).U32(0).U16(6);
    return version == 120 ? file.U8(0) : file;
}

// What stands at a path, to compare a file set aside with what stood in its place.
std::string WhatIsAt(const std::string& path)
{
    fs::file_status status = fs::symlink_status(path);
    if (fs::is_symlink(status))
        return "link to " + fs::read_symlink(path).string();
    if (fs::is_directory(status) || fs::is_fifo(status))
        return fs::is_fifo(status) ? "named pipe" : "folder";
    std::vector<uint8_t> bytes = TestFiles::ReadBytes(path);
    return fs::exists(status) ? "file " + std::string(bytes.begin(), bytes.end()) : "nothing";
}

// Stand-ins for the windows, each recording a number of its own: a data window its top, a graph window
// its display item and time scale.
class StandInDataWindow : public RecordedDataWindow {
public:
    explicit StandInDataWindow(int16_t top) { mTop = top; }
    void GetWindowPrefs(DataWindowPrefs* prefs) override
    {
        prefs->SetWindowRect(Rect { mTop, -2, 300, 0x1234 });
        prefs->SetSensorDisplayMask(0x800000F6);
        prefs->GetSensorNames()->AddItem(MakeStr255("ab"));
    }
    void SetWindowPrefs(DataWindowPrefs*) override { }
    int16_t mTop;
};

class StandInGraphWindow : public RecordedGraphWindow {
public:
    explicit StandInGraphWindow(int16_t item, int32_t pixelsPerMinute = 0)
    {
        mItem = item;
        mPixelsPerMinute = pixelsPerMinute;
    }
    void GetWindowPrefs(GraphWindowPrefs* prefs) override
    {
        prefs->SetWindowRect(Rect { 1, 2, 3, 4 });
        prefs->SetDisplayMenuItem(mItem);
        prefs->SetPixelsPerMinute(mPixelsPerMinute);
    }
    void SetWindowPrefs(GraphWindowPrefs*) override { }
    int16_t mItem;
    int32_t mPixelsPerMinute;
};

}

class PreferencesFile : public SettingsTest {
protected:
    // A start of the program: the preferences made afresh and read from the file, if any.
    Preferences* Start()
    {
        Preferences::DeleteInstanceForTesting();
        Preferences::Get();
        Preferences::ReadPrefs();
        return Preferences::Get();
    }
    Preferences* Read(const FileBytes& file)
    {
        TestFiles::WriteBytes(PrefsPath(), file.bytes);
        return Start();
    }
    std::vector<uint8_t> Saved()
    {
        Preferences::SavePrefs();
        return TestFiles::ReadBytes(PrefsPath());
    }
};

// Version 90 has no VersionCheck byte, which keeps its default, and is saved again as version 120.
TEST_F(PreferencesFile, ReadsEveryFieldAndRecordsOnlyOpenWindows)
{
    for (uint16_t version : { 120, 90 }) {
        SCOPED_TRACE(version);
        Preferences* prefs = Read(SettingsFile(version, TwoRecords()));
        EXPECT_EQ(
            std::make_tuple(prefs->GetCreationSeconds(), prefs->GetTemperatureScale(), prefs->GetSubmittedTimedData(),
                prefs->GetDisplayLegend(), prefs->GetVersionCheck(), prefs->GetDockIconType()),
            std::make_tuple(12345u, 1, true, false, version == 90, 2u));
        EXPECT_EQ(
            std::make_tuple(prefs->GetDockGraphDisplayFormat(), prefs->GetDockGraphTimescale(),
                prefs->GetDockTextDisplayFormat(), prefs->GetDockPictSensorIndex(),
                Str255ToString((*prefs->GetDockGraphDisplayArray())[2]), prefs->GetDockTextDisplayArray()->GetCount()),
            std::make_tuple(3, 4, 5, 6, "Sensor B", 0));
        RGBColor last;
        prefs->GetSensorColor(11, last);
        EXPECT_EQ(last, (RGBColor { 33001, 34001, 35001 })) << "the twelfth colour, red then green then blue";

        ASSERT_EQ(prefs->GetDataWindowPrefsArray()->GetCount(), 1);
        DataWindowPrefs* data = (*prefs->GetDataWindowPrefsArray())[1];
        // Graph menu item 0 reads as 1.
        EXPECT_EQ(std::make_tuple(data->GetWindowRect(), data->GetSensorDisplayMask(), int(data->GetGraphMenuItem()),
                      Str255ToString((*data->GetSensorNames())[2])),
            std::make_tuple(Rect { 10, 20, 300, 400 }, 0x86u, 1, "Sensor B"));
        ASSERT_EQ(prefs->GetGraphWindowPrefsArray()->GetCount(), 1);
        GraphWindowPrefs* graph = (*prefs->GetGraphWindowPrefsArray())[1];
        EXPECT_EQ(graph->GetWindowRect(), (Rect { 50, 60, 500, 600 }));
        EXPECT_EQ(graph->GetDisplayMenuItem(), 0) << "the graph record has no replacement rule";

        // Only the windows open when saving are recorded, the reserved byte travels unchanged, and the
        // shorter file replaces the whole longer one.
        FileBytes expected = SettingsFile(120, kNoRecords);
        expected.bytes.back() = version == 90 ? 1 : 0;
        EXPECT_EQ(Saved(), expected.bytes);
    }
}

// Regression: a file that cannot be used (cut short, a count it cannot hold, another version, no regular file,
// far too large) lost what the user recorded, and a named pipe held the start for good. It is kept as
// ".damaged", never over an earlier copy, and a fresh file takes its place.
TEST_F(PreferencesFile, AFileThatCannotBeUsedIsKeptNeverOverwritten)
{
    SensorRegistry::EntryID sensor = InstallMachine({ { "CPU Temperature", 40 } }).front();
    auto data = [](std::vector<int32_t> values) { return FileBytes { TestFiles::BigEndian32(values) }; };
    const std::string dataFile = "01 CPU Temperature", prefsFile = kPreferencesFileName;
    // What stands at the file's path: its bytes, a folder, a named pipe, a link to a device, or its bytes
    // followed by a sparse padding one byte past what its reader takes; and what the message says of each.
    enum Kind { Bytes, Folder, Pipe, DeviceLink, Padded };
    const char* const problems[] = { "is damaged", "is a folder, not a file", "is a named pipe, not a file",
        "is a device, not a file", "is too large" };
    struct Row {
        std::string name, file;
        Kind kind;
        FileBytes bytes = {};
    };
    FileBytes unknownVersion = SettingsFile(120, kNoRecords);
    unknownVersion.bytes[1] = 124; // 120 with one bit flipped
    std::vector<Row> rows = {
        { "data count the file cannot hold", dataFile, Bytes, data({ 3, 10, 90, 0x7FFFFFFF, 41 }) },
        { "unknown data version", dataFile, Bytes, data({ 7, 10, 90, 1, 50, 0 }) },
        { "negative short-term count", dataFile, Bytes, data({ 3, 10, 90, 1, 50, -1, 40 }) },
        { "unknown preferences version", prefsFile, Bytes, unknownVersion },
        { "named pipe as settings", kSettingsFileName, Pipe },
        // Never an allocation by the count: it meets the file's end as a cut does.
        { "huge data-window count", prefsFile, Bytes, SettingsFile(120, FileBytes().U32(0x7FFFFFFF).U32(0)) },
    };
    for (const std::string& file : { dataFile, prefsFile }) {
        for (Kind kind : { Folder, Pipe, DeviceLink, Padded }) {
            rows.push_back({ file + ": " + problems[kind], file, kind,
                file == dataFile ? data({ 3, 10, 90, 1, 50, 0 }) : SettingsFile(120, kNoRecords) });
        }
    }
    // Cut anywhere, down to a version 120 file without its last byte, VersionCheck: nothing read before the cut
    // may stay.
    const std::vector<uint8_t> whole = SettingsFile(120, TwoRecords()).bytes;
    for (size_t length = 0; length < whole.size(); ++length) {
        rows.push_back({ "cut after " + std::to_string(length) + " bytes", prefsFile, Bytes,
            FileBytes { std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length)) } });
    }
    std::map<std::string, int> copies;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string path = platform->ProgramFolder() + "/" + row.file;
        fs::remove_all(path);
        if (row.kind == Folder)
            TestFiles::MakeFolder(path);
        else if (row.kind == Pipe)
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        else if (row.kind == DeviceLink)
            TestFiles::ZeroDeviceLink(path);
        else
            TestFiles::WriteBytes(path, row.bytes.bytes);
        if (row.kind == Padded)
            fs::resize_file(
                path, (row.file == dataFile ? TemperatureSensor::kMostDataFileBytes : Preferences::kMostFileBytes) + 1);
        const std::string before = WhatIsAt(path);
        testing::internal::CaptureStderr();
        std::vector<uint8_t> fresh;
        if (row.file == prefsFile) {
            EXPECT_EQ(Start()->GetDataWindowPrefsArray()->GetCount(), 0);
            Preferences::SavePrefs();
            fresh = DefaultsFile(Now(), { "CPU Temperature" }).bytes; // a first run's settings
        } else if (row.file == kSettingsFileName) {
            KelvaraSettings::DeleteInstanceForTesting();
            EXPECT_TRUE(KelvaraSettings::Get()->GetWarnAtLimits());
            KelvaraSettings::Get()->SetWarnAtLimits(false);
            const std::string text = "[Notifications]\nWarnAtLimits=false\n";
            fresh.assign(text.begin(), text.end());
        } else {
            // The sensor starts empty: the file it leaves holds this run's one sample alone.
            TemperatureSensor reader(sensor, kSensorTypeRegistry, 1);
            Sampling::SampleNow(reader);
            const int32_t sample = FixturePlatform::Fixed16(40);
            fresh = TestFiles::BigEndian32({ 3, sample, sample + 1, 1, sample, 1, sample });
        }
        std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find(problems[row.kind]), std::string::npos) << message;
        int copy = ++copies[row.file];
        EXPECT_EQ(WhatIsAt(path + ".damaged" + (copy > 1 ? " " + std::to_string(copy) : "")), before);
        EXPECT_EQ(TestFiles::ReadBytes(path), fresh);
    }
}

TEST_F(PreferencesFile, RecordsOfAnotherVersionAndCountsBelowOne)
{
    Preferences* prefs = Read(SettingsFile(120, FileBytes().U32(1).U32(996).U32(1).U32(998)));
    ASSERT_EQ(prefs->GetDataWindowPrefsArray()->GetCount(), 1);
    DataWindowPrefs* data = (*prefs->GetDataWindowPrefsArray())[1];
    EXPECT_EQ(std::make_tuple(data->GetWindowRect(), data->GetSensorDisplayMask(), int(data->GetGraphMenuItem())),
        std::make_tuple(Rect {}, 0u, 2));
    ASSERT_EQ(prefs->GetGraphWindowPrefsArray()->GetCount(), 1);
    EXPECT_EQ((*prefs->GetGraphWindowPrefsArray())[1]->GetWindowRect(), Rect {});
    EXPECT_EQ(prefs->GetDockPictSensorIndex(), 6) << "a foreign record takes only its version's four bytes";

    prefs = Read(SettingsFile(120, FileBytes().U32(0xFFFFFFFF).U32(0x80000000), FileBytes().U32(0xFFFFFFFE)));
    EXPECT_EQ(prefs->GetDataWindowPrefsArray()->GetCount() + prefs->GetGraphWindowPrefsArray()->GetCount()
            + prefs->GetDockGraphDisplayArray()->GetCount(),
        0);
    EXPECT_EQ(prefs->GetDockPictSensorIndex(), 6);
}

// A colour position outside the table is refused, and reads or writes nothing beyond it.
TEST_F(PreferencesFile, ColourPositionsOutsideTheTableThrowAsrtAndChangeNothing)
{
    Preferences* prefs = Start();
    const std::vector<uint8_t> before = Saved();
    for (int32_t position : { -1, 12, INT32_MIN, INT32_MAX }) {
        RGBColor color { 1, 2, 3 };
        EXPECT_EQ(ErrorOf([&] { prefs->GetSensorColor(position, color); }), err_AssertionFailed) << position;
        EXPECT_EQ(color, (RGBColor { 1, 2, 3 })) << position;
        EXPECT_EQ(ErrorOf([&] { prefs->SetSensorColor(position, color); }), err_AssertionFailed) << position;
    }
    EXPECT_EQ(Saved(), before);
}

// A preferences or settings file that cannot be used (here a link to a device) and cannot be set aside either
// (every name a copy could take is taken) is left as it is: this run's settings are not written over it, at
// quit or at a checkpoint, and the message says so once.
TEST_F(PreferencesFile, AFileThatCannotBeSetAsideIsLeftUnwritten)
{
    for (const std::string file : { kPreferencesFileName, kSettingsFileName }) {
        SCOPED_TRACE(file);
        const std::string path = platform->ProgramFolder() + "/" + file;
        // The sensors' indices were kept there by the last start: the settings are read afresh.
        fs::remove(path);
        KelvaraSettings::DeleteInstanceForTesting();
        const std::string device = TestFiles::ZeroDeviceLink(path);
        TestFiles::Write(path + ".damaged", "");
        for (int copy = 2; copy <= 1000; ++copy)
            TestFiles::Write(path + ".damaged " + std::to_string(copy), "");
        testing::internal::CaptureStderr();
        if (file == kPreferencesFileName) {
            Start();
            Preferences::SavePrefs();
            Preferences::SavePrefs();
            EXPECT_EQ(Preferences::Get()->GetDockGraphDisplayArray()->GetCount(), 1) << "a first run's settings";
        } else {
            KelvaraSettings::Get()->SetWarnAtLimits(false);
            EXPECT_FALSE(KelvaraSettings::Get()->GetWarnAtLimits()) << "for this run";
        }
        std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("is a device, not a file"), std::string::npos) << message;
        const char* notWritten = file == kPreferencesFileName ? "not saved" : "left as it was found";
        EXPECT_NE(message.find(notWritten), std::string::npos) << message;
        EXPECT_EQ(message.find(notWritten), message.rfind(notWritten)) << "said once";
        EXPECT_EQ(fs::read_symlink(path), device);
        EXPECT_TRUE(fs::is_character_file(device));
    }
}

// After a first run where the locale does not measure in US units, so in Celsius (the first runs of the other
// tests take Fahrenheit).
TEST_F(PreferencesFile, OnlyWindowsStillOpenAreRecordedInTheOrderAdded)
{
    ULocale::SetUSUnitsForTesting(false);
    Preferences* prefs = Start();
    StandInDataWindow first(10), second(20), third(30);
    StandInGraphWindow graph(1), otherGraph(-2);
    // Declared here so that it cannot take the place of the window destroyed below, whose record its
    // closing message would then remove by accident.
    StandInDataWindow stranger(99);
    for (StandInDataWindow* window : { &first, &second, &third })
        prefs->AddDataWindow(window);
    prefs->AddGraphWindow(&graph);
    prefs->AddGraphWindow(&otherGraph);
    {
        StandInDataWindow destroyedWithoutSayingSo(40);
        prefs->AddDataWindow(&destroyedWithoutSayingSo);
    }
    second.BroadcastWindowClosing();
    graph.BroadcastWindowClosing();
    // A closing message touches only its own list, and only a window that was added; other messages none.
    stranger.AddListener(prefs);
    stranger.BroadcastWindowClosing();
    prefs->ListenToMessage(msg_GraphWindowClosing, static_cast<RecordedDataWindow*>(&first));
    prefs->ListenToMessage(msg_DataWindowClosing, static_cast<RecordedGraphWindow*>(&otherGraph));
    prefs->ListenToMessage(msg_PrefsChanged, static_cast<RecordedGraphWindow*>(&otherGraph));

    // The records of the windows still open, in the order added, every field in file order.
    FileBytes records;
    records.U32(2);
    for (uint16_t top : { 10, 30 })
        records.U32(997).U16(top).U16(0xFFFE).U16(300).U16(0x1234).U32(0x800000F6).U8(2).Names({ "ab" });
    records.U32(1).U32(997).U16(1).U16(2).U16(3).U16(4).U16(0xFFFE).Names({});
    EXPECT_EQ(Saved(), DefaultsFile(Now(), { "CPU Temperature" }, records, kScaleCelsius).bytes);
}

// The preferences file has no place for a graph window's time scale: "Kelvara Settings.ini" keeps it by the
// place of the window's record, and the file stays byte for byte what it would be without.
TEST_F(PreferencesFile, GraphWindowTimeScalesComeBackByTheirRecordsPlace)
{
    const std::string ini = platform->ProgramFolder() + "/Kelvara Settings.ini";
    std::vector<uint8_t> withoutScales;
    for (int32_t tens : { 0, 1 }) {
        Preferences::DeleteInstanceForTesting();
        StandInGraphWindow first(1, 5 * tens), automatic(2), last(1, 30 * tens);
        for (StandInGraphWindow* window : { &first, &automatic, &last })
            Preferences::Get()->AddGraphWindow(window);
        std::vector<uint8_t> saved = Saved();
        if (tens == 0)
            withoutScales = saved;
        EXPECT_EQ(saved, withoutScales);
    }

    // Read at the next start, and a file that holds no time scale a Kelvara could choose.
    const std::pair<std::string, std::vector<int32_t>> starts[] = {
        { "", { 5, 0, 30 } },
        { "[GraphWindows]\n1\\PixelsPerMinute=7\n2\\PixelsPerMinute=2\n3\\PixelsPerMinute=abc\nsize=3\n", { 0, 2, 0 } },
    };
    for (const auto& [text, scales] : starts) {
        if (!text.empty())
            TestFiles::WriteBytes(ini, std::vector<uint8_t>(text.begin(), text.end()));
        KelvaraSettings::DeleteInstanceForTesting();
        testing::internal::CaptureStderr();
        TArray<GraphWindowPrefs*>* records = Start()->GetGraphWindowPrefsArray();
        std::string message = testing::internal::GetCapturedStderr();
        ASSERT_EQ(records->GetCount(), 3);
        for (ArrayIndexT i = 1; i <= 3; ++i)
            EXPECT_EQ((*records)[i]->GetPixelsPerMinute(), scales[static_cast<size_t>(i - 1)]) << text << i;
        EXPECT_EQ(message.find("\"abc\"") != std::string::npos, !text.empty()) << message;
    }
}
