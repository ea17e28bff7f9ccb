#include "framework/LException.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/Preferences.h"
#include "tests/prefs/SettingsFixture.h"

#include <filesystem>

namespace {

// Every default, with the given names in both Dock lists.
FileBytes DefaultsFile(uint32_t creation, const std::vector<std::string>& dockNames)
{
    const uint16_t colours[12][3] = { { 0, 32767, 0 }, { 65535, 0, 0 }, { 0, 0, 65535 }, { 32767, 0, 32767 },
        { 32767, 0, 0 }, { 32767, 32767, 0 }, { 0, 32767, 32767 }, { 65535, 32767, 0 }, { 26414, 65535, 26414 },
        { 0, 65535, 0 }, { 0, 0, 65535 }, { 0, 0, 65535 } };
    FileBytes file;
    file.U16(120).U8(0).U32(creation).U16(2).U8(0).U8(1).U32(0).U32(0);
    for (const auto& rgb : colours)
        file.U16(rgb[0]).U16(rgb[1]).U16(rgb[2]);
    file.U32(1).U16(1).Names(dockNames).U16(1).U16(1).Names(dockNames).U16(1).U8(1);
    return file;
}

FileBytes FirstRunFile(uint32_t creation)
{
    return DefaultsFile(creation, { "CPU Temperature" });
}

// Every setting away from its default; version 90 has no VersionCheck byte.
FileBytes SettingsFile(uint16_t version, const FileBytes& records,
    const FileBytes& dockGraphNames = FileBytes().Names({ "Sensor A", "Sensor B" }))
{
    FileBytes file;
    file.U16(version).U8(0x5A).U32(12345).U16(1).U8(1).U8(0).Append(records);
    for (uint32_t i = 0; i < 36; ++i)
        file.U16(i * 1000 + 1);
    file.U32(2).U16(3).Append(dockGraphNames).U16(4).U16(5).U32(0).U16(6);
    return version == 120 ? file.U8(0) : file;
}

const FileBytes kNoRecords = FileBytes().U32(0).U32(0);

}

class PreferencesFile : public SettingsTest {
protected:
    Preferences* Read(const FileBytes& file)
    {
        TestFiles::WriteBytes(PrefsPath(), file.bytes);
        Preferences::Get();
        Preferences::ReadPrefs();
        return Preferences::Get();
    }
    std::vector<uint8_t> Saved()
    {
        Preferences::SavePrefs();
        return TestFiles::ReadBytes(PrefsPath());
    }
    // Reads file, which must be found damaged, set aside and replaced by a first run's settings.
    void ExpectDamaged(const FileBytes& file, const std::string& context)
    {
        SCOPED_TRACE(context);
        Preferences::DeleteInstanceForTesting();
        std::filesystem::remove(PrefsPath() + ".damaged");
        testing::internal::CaptureStderr();
        Read(file);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("is damaged"), std::string::npos);
        EXPECT_EQ(TestFiles::ReadBytes(PrefsPath() + ".damaged"), file.bytes);
        EXPECT_FALSE(TestFiles::Exists(PrefsPath()));
        EXPECT_EQ(Preferences::Get()->GetDataWindowPrefsArray()->GetCount(), 0);
        EXPECT_EQ(Saved(), FirstRunFile(kNow).bytes);
    }
};

TEST_F(PreferencesFile, FirstRunWritesEveryDefaultAndTheFirstSensorInBothDockLists)
{
    Preferences::Get();
    Preferences::ReadPrefs();
    std::vector<uint8_t> saved = Saved();
    ASSERT_EQ(saved.size(), 144u);
    EXPECT_EQ(std::vector<uint8_t>(saved.begin() + 19, saved.begin() + 29),
        (std::vector<uint8_t> { 0x00, 0x00, 0x7F, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00 }));
    EXPECT_EQ(saved, FirstRunFile(kNow).bytes);

    InstallMachine({});
    Preferences::Get();
    std::filesystem::remove(PrefsPath());
    Preferences::ReadPrefs();
    EXPECT_EQ(Saved(), DefaultsFile(kNow, {}).bytes) << "no sensors, no Dock names";
}

TEST_F(PreferencesFile, ReadsEveryFieldAndRecordsOnlyOpenWindows)
{
    FileBytes records;
    records.U32(1).U32(997).U16(10).U16(20).U16(300).U16(400).U32(0x86).U8(0).Names({ "Sensor A", "Sensor B" });
    records.U32(1).U32(997).U16(50).U16(60).U16(500).U16(600).U16(0).Names({ "Sensor B" });
    Preferences* prefs = Read(SettingsFile(120, records));

    EXPECT_EQ(prefs->GetCreationSeconds(), 12345u);
    EXPECT_EQ(prefs->GetTemperatureScale(), 1);
    EXPECT_TRUE(prefs->GetSubmittedTimedData());
    EXPECT_FALSE(prefs->GetDisplayLegend());
    EXPECT_FALSE(prefs->GetVersionCheck());
    EXPECT_EQ(prefs->GetDockIconType(), 2u);
    EXPECT_EQ(prefs->GetDockGraphDisplayFormat() * 1000 + prefs->GetDockGraphTimescale() * 100
            + prefs->GetDockTextDisplayFormat() * 10 + prefs->GetDockPictSensorIndex(),
        3456);
    EXPECT_EQ(Str255ToString((*prefs->GetDockGraphDisplayArray())[2]), "Sensor B");
    EXPECT_EQ(prefs->GetDockTextDisplayArray()->GetCount(), 0);
    RGBColor last;
    prefs->GetSensorColor(11, last);
    EXPECT_EQ(last, (RGBColor { 33001, 34001, 35001 }));

    ASSERT_EQ(prefs->GetDataWindowPrefsArray()->GetCount(), 1);
    DataWindowPrefs* data = (*prefs->GetDataWindowPrefsArray())[1];
    EXPECT_EQ(data->GetWindowRect(), (Rect { 10, 20, 300, 400 }));
    EXPECT_EQ(data->GetSensorDisplayMask(), 0x86u);
    EXPECT_EQ(data->GetGraphMenuItem(), 1) << "graph menu item 0 reads as 1";
    EXPECT_EQ(Str255ToString((*data->GetSensorNames())[2]), "Sensor B");
    ASSERT_EQ(prefs->GetGraphWindowPrefsArray()->GetCount(), 1);
    GraphWindowPrefs* graph = (*prefs->GetGraphWindowPrefsArray())[1];
    EXPECT_EQ(graph->GetWindowRect(), (Rect { 50, 60, 500, 600 }));
    EXPECT_EQ(graph->GetDisplayMenuItem(), 0) << "the graph record has no replacement rule";

    // Only the windows open when saving are recorded, and the reserved byte travels unchanged.
    EXPECT_EQ(Saved(), SettingsFile(120, kNoRecords).bytes);
}

TEST_F(PreferencesFile, Version90LoadsAndIsSavedAgainAsVersion120)
{
    Preferences* prefs = Read(SettingsFile(90, kNoRecords));
    EXPECT_EQ(prefs->GetDockPictSensorIndex(), 6);
    EXPECT_TRUE(prefs->GetVersionCheck());
    FileBytes expected = SettingsFile(90, kNoRecords);
    expected.bytes[1] = 120;
    EXPECT_EQ(Saved(), expected.U8(1).bytes);
}

TEST_F(PreferencesFile, AnyOtherVersionChangesNothing)
{
    for (uint16_t version : { 0, 89, 91, 119, 121, 997, 0xFFFF }) {
        SCOPED_TRACE(version);
        Preferences::DeleteInstanceForTesting();
        FileBytes file = SettingsFile(120, kNoRecords);
        file.bytes[0] = static_cast<uint8_t>(version >> 8);
        file.bytes[1] = static_cast<uint8_t>(version);
        EXPECT_EQ(Read(file)->GetFileVersion(), version);
        // Every default, a fresh CreationSeconds, and no InitializePrefs: that is for a missing file only.
        EXPECT_EQ(Saved(), DefaultsFile(kNow, {}).bytes);
    }
}

TEST_F(PreferencesFile, RecordsOfAnotherVersionAndCountsBelowOne)
{
    Preferences* prefs = Read(SettingsFile(120, FileBytes().U32(1).U32(996).U32(1).U32(998)));
    ASSERT_EQ(prefs->GetDataWindowPrefsArray()->GetCount(), 1);
    DataWindowPrefs* data = (*prefs->GetDataWindowPrefsArray())[1];
    EXPECT_EQ(data->GetWindowRect(), Rect {});
    EXPECT_EQ(data->GetSensorDisplayMask(), 0u);
    EXPECT_EQ(data->GetGraphMenuItem(), 2);
    ASSERT_EQ(prefs->GetGraphWindowPrefsArray()->GetCount(), 1);
    EXPECT_EQ((*prefs->GetGraphWindowPrefsArray())[1]->GetWindowRect(), Rect {});
    EXPECT_EQ(prefs->GetDockPictSensorIndex(), 6) << "a foreign record takes only its version's four bytes";

    Preferences::DeleteInstanceForTesting();
    prefs = Read(SettingsFile(120, FileBytes().U32(0xFFFFFFFF).U32(0x80000000), FileBytes().U32(0xFFFFFFFE)));
    EXPECT_EQ(prefs->GetDataWindowPrefsArray()->GetCount() + prefs->GetGraphWindowPrefsArray()->GetCount()
            + prefs->GetDockGraphDisplayArray()->GetCount(),
        0);
    EXPECT_EQ(prefs->GetDockPictSensorIndex(), 6);
}

TEST_F(PreferencesFile, DamagedFilesAreSetAsideAndAFirstRunFollows)
{
    FileBytes noVersionCheck = SettingsFile(90, kNoRecords);
    noVersionCheck.bytes[1] = 120;
    ExpectDamaged(noVersionCheck, "version 120 without its VersionCheck byte");
    // A count larger than the rest of the file can hold must not have the program loop or allocate.
    ExpectDamaged(SettingsFile(120, FileBytes().U32(0x7FFFFFFF).U32(0)), "huge data-window count");
    ExpectDamaged(SettingsFile(120, FileBytes().U32(0).U32(0x7FFFFFFF)), "huge graph-window count");
    ExpectDamaged(SettingsFile(120, FileBytes().U32(1).U32(997).U32(0).U32(0).U32(0).U8(1).U32(0x7FFFFFFF).U32(0)),
        "huge name count in a record");
    ExpectDamaged(SettingsFile(120, kNoRecords, FileBytes().U32(0x7FFFFFFF)), "huge Dock name count");

    // Cut anywhere: nothing read before the cut may stay.
    FileBytes records;
    records.U32(1).U32(997).U16(10).U16(20).U16(300).U16(400).U32(6).U8(3).Names({ "Sensor A" });
    records.U32(1).U32(997).U16(50).U16(60).U16(500).U16(600).U16(2).Names({ "Sensor B" });
    const std::vector<uint8_t> whole = SettingsFile(120, records).bytes;
    for (size_t length = 0; length < whole.size(); ++length) {
        FileBytes cut;
        cut.bytes.assign(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length));
        ExpectDamaged(cut, "cut after " + std::to_string(length) + " bytes");
    }
}

TEST_F(PreferencesFile, ADamagedCopyAlreadyThereIsNeverReplaced)
{
    TestFiles::Write(PrefsPath() + ".damaged", "first");
    TestFiles::Write(PrefsPath() + ".damaged 2", "second");
    testing::internal::CaptureStderr();
    Read(FileBytes().U16(120).U8(0));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Kelvara Preferences.damaged 3"), std::string::npos);
    EXPECT_EQ(TestFiles::ReadBytes(PrefsPath() + ".damaged").size(), 5u);
    EXPECT_EQ(TestFiles::ReadBytes(PrefsPath() + ".damaged 2").size(), 6u);
    EXPECT_EQ(TestFiles::ReadBytes(PrefsPath() + ".damaged 3"), (std::vector<uint8_t> { 0, 120, 0 }));
}

TEST_F(PreferencesFile, ColoursRoundTripAsBigEndianChannels)
{
    auto colourAt = [](int32_t p) {
        return RGBColor { static_cast<uint16_t>(p * 5000 + 1), static_cast<uint16_t>(0xFFFF - p),
            static_cast<uint16_t>(0x8000 | p) };
    };
    for (int32_t position = 0; position < 12; ++position)
        Preferences::Get()->SetSensorColor(position, colourAt(position));
    std::vector<uint8_t> saved = Saved();
    EXPECT_EQ(std::vector<uint8_t>(saved.begin() + 85, saved.begin() + 91),
        (std::vector<uint8_t> { 0xD6, 0xD9, 0xFF, 0xF4, 0x80, 0x0B }));

    Preferences::DeleteInstanceForTesting();
    Preferences* prefs = Read(FileBytes { saved });
    for (int32_t position = 0; position < 12; ++position) {
        RGBColor color;
        prefs->GetSensorColor(position, color);
        EXPECT_EQ(color, colourAt(position)) << position;
    }
}

TEST_F(PreferencesFile, ColourPositionsOutsideTheTableThrowAsrtAndCopyNothing)
{
    Preferences* prefs = Preferences::Get();
    for (int32_t position : { -1, 12, INT32_MIN, INT32_MAX }) {
        RGBColor color { 1, 2, 3 };
        try {
            prefs->GetSensorColor(position, color);
            ADD_FAILURE() << position;
        } catch (const LException& error) {
            EXPECT_EQ(error.GetErrorCode(), err_AssertionFailed);
        }
        EXPECT_EQ(color, (RGBColor { 1, 2, 3 }));
        EXPECT_THROW(prefs->SetSensorColor(position, color), LException);
    }
    EXPECT_EQ(Saved(), DefaultsFile(kNow, {}).bytes);
}

TEST_F(PreferencesFile, SavingReplacesTheWholeFileAndLeavesNothingElse)
{
    FileBytes longer = FirstRunFile(77);
    Read(longer.U32(0xEEEEEEEE));
    EXPECT_EQ(Saved(), FirstRunFile(77).bytes);
    EXPECT_EQ(TestFiles::List(mFolder / "Varnholt's Utilities"), std::vector<std::string> { "Kelvara Preferences" });
}

TEST_F(PreferencesFile, AFileThatCannotBeReadLeavesTheDefaultsAndSaysSo)
{
    TestFiles::MakeFolder(PrefsPath());
    Preferences::Get();
    testing::internal::CaptureStderr();
    Preferences::ReadPrefs();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot be read"), std::string::npos);
    EXPECT_EQ(Preferences::Get()->GetDockGraphDisplayArray()->GetCount(), 0) << "not a first run";
    EXPECT_THROW(Preferences::SavePrefs(), LException);
}
