#include "prefs/Preferences.h"

#include "framework/DamagedFile.h"
#include "framework/LException.h"
#include "framework/LFileStream.h"
#include "framework/LStream.h"
#include "framework/ULocale.h"
#include "platform/Platform.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/KelvaraSettings.h"
#include "prefs/PrefsStreaming.h"
#include "prefs/RecordedWindow.h"
#include "sensors/ExactTemperature.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "util/TemperatureUnits.h"
#include "util/UtilitiesFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

Preferences* Preferences::sInstance = nullptr;

namespace {

constexpr std::array<RGBColor, Preferences::kSensorColorCount> kDefaultSensorColors { {
    { 0, 32767, 0 },
    { 65535, 0, 0 },
    { 0, 0, 65535 },
    { 32767, 0, 32767 },
    { 32767, 0, 0 },
    { 32767, 32767, 0 },
    { 0, 32767, 32767 },
    { 65535, 32767, 0 },
    { 26414, 65535, 26414 },
    { 0, 65535, 0 },
    { 0, 0, 65535 },
    { 0, 0, 65535 },
} };

// A first run's colours, kept in the file from then on: twelve that differ from each other and from the extension
// palette of sensors 13 and later (SensorColors), each standing out at least 3:1 from a white plot and from a
// dark grey one (#2a2a2a). A file that holds the older defaults, three of them the same blue, keeps them.
constexpr std::array<std::array<uint8_t, 3>, Preferences::kSensorColorCount> kFirstRunSensorColors { {
    { 0, 171, 0 }, // green
    { 255, 0, 0 }, // red
    { 64, 140, 255 }, // blue
    { 217, 119, 0 }, // orange
    { 194, 13, 255 }, // violet
    { 0, 163, 163 }, // teal
    { 217, 98, 205 }, // orchid
    { 120, 156, 54 }, // olive
    { 255, 13, 182 }, // pink
    { 7, 140, 47 }, // forest green
    { 209, 94, 106 }, // rose
    { 255, 0, 64 }, // crimson
} };

// The smallest a window record can be in the file: its record version alone, when it is not ours.
constexpr uint32_t kLeastWindowRecordBytes = 4;

}

Preferences* Preferences::Get()
{
    if (sInstance == nullptr) {
        try {
            sInstance = new Preferences;
        } catch (const std::bad_alloc&) {
            Throw_(err_NilPointer, "no memory for the preferences");
        }
    }
    return sInstance;
}

void Preferences::DeleteInstanceForTesting()
{
    delete sInstance;
    sInstance = nullptr;
}

Preferences::Preferences()
    : mOpenDataWindows(10)
    , mOpenGraphWindows(10)
    , mDataWindowPrefs(10)
    , mGraphWindowPrefs(10)
    , mDockGraphDisplayArray(12)
    , mDockTextDisplayArray(12)
    , mMadeSeconds(Platform::GetClock().GetDateTime())
{
    ResetToDefaults();
}

Preferences::~Preferences()
{
    DeleteWindowRecords();
}

void Preferences::DeleteWindowRecords()
{
    while (!mDataWindowPrefs.IsEmpty()) {
        DataWindowPrefs* record = nullptr;
        mDataWindowPrefs.FetchItemAt(index_Last, record);
        mDataWindowPrefs.RemoveItemsAt(1, index_Last);
        delete record;
    }
    while (!mGraphWindowPrefs.IsEmpty()) {
        GraphWindowPrefs* record = nullptr;
        mGraphWindowPrefs.FetchItemAt(index_Last, record);
        mGraphWindowPrefs.RemoveItemsAt(1, index_Last);
        delete record;
    }
}

void Preferences::ResetToDefaults()
{
    mFileVersion = kFileVersion;
    mReserved = 0;
    // The moment these preferences were made, read once: a reset after the start-up sequence read the
    // time must not lie after it, or the first run would look 136 years old.
    mCreationSeconds = mMadeSeconds;
    mSubmittedTimedData = 0;
    mDisplayLegend = 1;
    mVersionCheck = 1;
    mTemperatureScale = 2;
    DeleteWindowRecords();
    mSensorColors = kDefaultSensorColors;
    mDockIconType = 1;
    mDockGraphDisplayFormat = 1;
    mDockGraphDisplayArray.RemoveAllItems();
    mDockGraphTimescale = 1;
    mDockTextDisplayFormat = 1;
    mDockTextDisplayArray.RemoveAllItems();
    mDockPictSensorIndex = 1;
}

TemperatureSensor* Preferences::TileSensorOfAFirstRun(SensorArray& sensors)
{
    // The processor is what a user watches; the first sensor found is often the least interesting one (a
    // board's ACPI zone).
    TemperatureSensor* hottest = nullptr;
    double hottestCelsius = 0;
    for (ArrayIndexT i = 1; i <= sensors.GetCount(); ++i) {
        TemperatureSensor* sensor = ThrowIfNil_(sensors[i]);
        if (sensor->GetStableKey().starts_with("cpu-package:"))
            return sensor;
        if (std::optional<int32_t> raw = sensor->GetCurrentReading()) {
            double celsius = ConvertRawToExactCelsius(sensor->GetSensorType(), *raw);
            if (hottest == nullptr || celsius > hottestCelsius) {
                hottest = sensor;
                hottestCelsius = celsius;
            }
        }
    }
    return hottest != nullptr ? hottest : ThrowIfNil_(sensors[1]);
}

void Preferences::InitializePrefs()
{
    // A first run speaks the user's units; a stored scale, read from the file, always wins.
    mTemperatureScale = ULocale::MeasuresInUSUnits() ? kScaleFahrenheit : kScaleCelsius;
    for (size_t i = 0; i < mSensorColors.size(); ++i) {
        const auto& rgb = kFirstRunSensorColors[i];
        mSensorColors[i] = RGBColor { static_cast<uint16_t>(rgb[0] * 257), static_cast<uint16_t>(rgb[1] * 257),
            static_cast<uint16_t>(rgb[2] * 257) };
    }
    SensorMaster* master = SensorMaster::Get();
    if (master->GetSensorCount() < 1)
        return;
    SensorArray& sensors = *master->GetSensorArray();
    TemperatureSensor* chosen = TileSensorOfAFirstRun(sensors);
    char name[255] = {};
    chosen->GetSensorName(name, sizeof name);
    name[sizeof name - 1] = '\0';
    Str255 entry = MakeStr255(name);
    mDockGraphDisplayArray.AddItem(entry);
    mDockTextDisplayArray.AddItem(entry);
    // Before the first sample no sensor has a reading to be the hottest: the choice is made again then.
    bool anyReading = false;
    for (ArrayIndexT i = 1; i <= sensors.GetCount(); ++i)
        anyReading = anyReading || (sensors[i] != nullptr && sensors[i]->GetCurrentReading());
    if (!anyReading && !chosen->GetStableKey().starts_with("cpu-package:")) {
        mProvisionalTileSensor = Str255ToString(entry);
        master->AddListener(this);
    }
}

void Preferences::ChooseTileSensorAgain()
{
    std::string provisional = std::exchange(mProvisionalTileSensor, {});
    SensorArray& sensors = *SensorMaster::Get()->GetSensorArray();
    if (sensors.IsEmpty())
        return;
    // Only a choice that the user has left as it was.
    for (SensorNameList* list : { &mDockGraphDisplayArray, &mDockTextDisplayArray }) {
        if (list->GetCount() != 1 || Str255ToString((*list)[1]) != provisional)
            return;
    }
    Str255 entry = MakeStr255(TileSensorOfAFirstRun(sensors)->GetSensorName());
    if (Str255ToString(entry) == provisional)
        return;
    for (SensorNameList* list : { &mDockGraphDisplayArray, &mDockTextDisplayArray }) {
        list->RemoveAllItems();
        list->AddItem(entry);
    }
    NotifySubscribers();
}

std::string Preferences::PreferencesFilePath(int16_t& outStatus)
{
    std::string folder;
    outStatus = FindUtilitiesFolder(true, folder);
    return outStatus == 0 ? folder + "/" + kPreferencesFileName : std::string();
}

void Preferences::ReadPrefs(Access access)
{
    Preferences* prefs = ThrowIfNil_(sInstance);
    if (access == Access::ReadOnly) {
        prefs->mFileWritable = false;
        // Nothing to say at a save: none is made.
        prefs->mToldNotWritten = true;
    }
    int16_t status = 0;
    std::string path = PreferencesFilePath(status);
    if (status != 0) {
        std::fprintf(stderr,
            "Kelvara: the program's folder cannot be found or made (%s); the default settings are used.\n",
            LException::DescribeCode(status).c_str());
        return;
    }

    // What a save cut short by a crash or a power cut left behind; the file itself is whole.
    if (access == Access::ReadWrite)
        LFileStream::RemoveLeftoverTemporaries(path);
    LFileStream stream;
    try {
        stream.OpenForReading(path, kMostFileBytes);
    } catch (const LException& error) {
        if (error.GetErrorCode() == fnfErr) {
            prefs->InitializePrefs();
            return;
        }
        // A file that is there but cannot be read (permissions, an I/O error, a named pipe, a file far too
        // large) is no missing file: saving at quit would replace the user's settings.
        prefs->RecoverFromDamagedFile(path, LFileStream::DescribeReadFailure(error), access);
        return;
    }
    try {
        prefs->StreamIn(stream);
    } catch (const LException& error) {
        if (error.GetErrorCode() != eofErr && error.GetErrorCode() != err_UnknownFormat)
            throw;
        prefs->RecoverFromDamagedFile(path, std::string("is damaged (") + error.what() + ")", access);
        return;
    }
    // What the file has no place for: each graph window's time scale, by the place of its record.
    const std::vector<int32_t>& scales = KelvaraSettings::Get()->GetGraphWindowTimeScales();
    for (ArrayIndexT i = 1; i <= prefs->mGraphWindowPrefs.GetCount() && static_cast<size_t>(i) <= scales.size(); ++i)
        prefs->mGraphWindowPrefs[i]->SetPixelsPerMinute(scales[static_cast<size_t>(i - 1)]);
}

void Preferences::RecoverFromDamagedFile(const std::string& path, const std::string& problem, Access access)
{
    if (access == Access::ReadOnly) {
        std::fprintf(stderr,
            "Kelvara: the preferences file \"%s\" %s; it is left as it is (a desktop Kelvara deals with it) and the "
            "settings of a first run are used.\n",
            path.c_str(), problem.c_str());
        ResetToDefaults();
        InitializePrefs();
        return;
    }
    std::string keptAs = SetAsideDamagedFile(path);
    if (keptAs.empty()) {
        // Not even a copy could be made: the file stays as it is, so nothing is written over it.
        int error = errno;
        mFileWritable = false;
        std::fprintf(stderr,
            "Kelvara: the preferences file \"%s\" %s and could not be set aside (%s); it is left as it is and not "
            "written while Kelvara runs, and the settings of a first run are used.\n",
            path.c_str(), problem.c_str(), std::strerror(error));
    } else {
        std::fprintf(stderr,
            "Kelvara: the preferences file \"%s\" %s; it is kept as \"%s\" and the settings of a first run are "
            "used.\n",
            path.c_str(), problem.c_str(), keptAs.c_str());
    }
    // What was read before the damage is dropped along with the rest: half a file is no one's settings.
    ResetToDefaults();
    InitializePrefs();
}

void Preferences::SavePrefs()
{
    LFileStream stream;
    std::string path;
    if (GatherPrefs(path, stream.GetBytesHeld()))
        stream.Commit(path);
}

bool Preferences::GatherPrefs(std::string& outPath, std::vector<uint8_t>& outBytes)
{
    Preferences* prefs = ThrowIfNil_(sInstance);
    int16_t status = 0;
    outPath = PreferencesFilePath(status);
    if (status != 0)
        Throw_(status, "the folder of the preferences file");
    if (!prefs->mFileWritable) {
        // Said once: the preferences are also saved every 10 minutes.
        if (std::exchange(prefs->mToldNotWritten, true))
            return false;
        std::fprintf(stderr,
            "Kelvara: the preferences file \"%s\" is left as it was found; the settings of this run are not "
            "saved.\n",
            outPath.c_str());
        return false;
    }
    LMemoryStream stream;
    prefs->StreamOut(stream);
    // What the file has no place for goes beside it, as the windows are recorded.
    KelvaraSettings::Get()->SetGraphWindowTimeScales(prefs->mRecordedTimeScales);
    outBytes = std::move(stream.GetBytesHeld());
    return true;
}

void Preferences::StreamOut(LStream& stream)
{
    stream << kFileVersion << mReserved << mCreationSeconds << mTemperatureScale << mSubmittedTimedData
           << mDisplayLegend;

    DataWindowPrefs* closedData = mKeepClosedWindow ? mClosedDataWindow.get() : nullptr;
    WriteEntryCount(stream, mOpenDataWindows.GetCount() + (closedData != nullptr ? 1 : 0));
    for (ArrayIndexT i = 1; i <= mOpenDataWindows.GetCount(); ++i) {
        DataWindowPrefs record;
        mOpenDataWindows[i]->GetWindowPrefs(&record);
        record.StreamOut(stream);
    }
    if (closedData != nullptr)
        closedData->StreamOut(stream);
    GraphWindowPrefs* closedGraph = mKeepClosedWindow ? mClosedGraphWindow.get() : nullptr;
    WriteEntryCount(stream, mOpenGraphWindows.GetCount() + (closedGraph != nullptr ? 1 : 0));
    mRecordedTimeScales.clear();
    for (ArrayIndexT i = 1; i <= mOpenGraphWindows.GetCount(); ++i) {
        GraphWindowPrefs record;
        mOpenGraphWindows[i]->GetWindowPrefs(&record);
        record.StreamOut(stream);
        mRecordedTimeScales.push_back(record.GetPixelsPerMinute());
    }
    if (closedGraph != nullptr) {
        closedGraph->StreamOut(stream);
        mRecordedTimeScales.push_back(closedGraph->GetPixelsPerMinute());
    }

    for (const RGBColor& color : mSensorColors)
        stream << color.red << color.green << color.blue;
    stream << mDockIconType << mDockGraphDisplayFormat;
    WriteNameList(stream, mDockGraphDisplayArray);
    stream << mDockGraphTimescale << mDockTextDisplayFormat;
    WriteNameList(stream, mDockTextDisplayArray);
    stream << mDockPictSensorIndex << mVersionCheck;
}

void Preferences::StreamIn(LStream& stream)
{
    stream >> mFileVersion;
    // Another version (one flipped bit, or a newer Kelvara) holds the user's settings all the same: it is
    // damaged as far as this program can tell, and kept, never replaced by a first run's settings.
    if (mFileVersion != kFileVersion && mFileVersion != kOldFileVersion)
        Throw_(err_UnknownFormat, "version " + std::to_string(mFileVersion));

    stream >> mReserved >> mCreationSeconds >> mTemperatureScale >> mSubmittedTimedData >> mDisplayLegend;

    int32_t dataWindows = ReadEntryCount(stream, kLeastWindowRecordBytes);
    for (int32_t i = 0; i < dataWindows; ++i) {
        auto record = std::make_unique<DataWindowPrefs>();
        record->StreamIn(stream);
        mDataWindowPrefs.AddItem(record.get());
        record.release();
    }
    int32_t graphWindows = ReadEntryCount(stream, kLeastWindowRecordBytes);
    for (int32_t i = 0; i < graphWindows; ++i) {
        auto record = std::make_unique<GraphWindowPrefs>();
        record->StreamIn(stream);
        mGraphWindowPrefs.AddItem(record.get());
        record.release();
    }

    for (RGBColor& color : mSensorColors)
        stream >> color.red >> color.green >> color.blue;
    stream >> mDockIconType >> mDockGraphDisplayFormat;
    ReadNameList(stream, mDockGraphDisplayArray);
    stream >> mDockGraphTimescale >> mDockTextDisplayFormat;
    ReadNameList(stream, mDockTextDisplayArray);
    stream >> mDockPictSensorIndex;
    if (mFileVersion == kFileVersion)
        stream >> mVersionCheck;
}

void Preferences::NotifySubscribers()
{
    BroadcastMessage(msg_PrefsChanged, nullptr);
}

void Preferences::ListenToMessage(MessageT message, void* parameter)
{
    if (message == msg_SamplesRecorded && !mProvisionalTileSensor.empty()) {
        ChooseTileSensorAgain();
    } else if (message == msg_DataWindowClosing) {
        auto* window = static_cast<RecordedDataWindow*>(parameter);
        mOpenDataWindows.Remove(window);
        NoteClosing(window, mClosedDataWindow);
    } else if (message == msg_GraphWindowClosing) {
        auto* window = static_cast<RecordedGraphWindow*>(parameter);
        mOpenGraphWindows.Remove(window);
        NoteClosing(window, mClosedGraphWindow);
    }
}

template <typename Window, typename Record>
void Preferences::NoteClosing(Window* window, std::unique_ptr<Record>& closed)
{
    // Only the last recorded window is kept, as it is when it closes: the program may quit for it.
    ForgetClosedWindow();
    if (!mOpenDataWindows.IsEmpty() || !mOpenGraphWindows.IsEmpty() || window->IsBeingDeleted())
        return;
    LException::ReportAndDrop("recording the last window", [&] {
        auto record = std::make_unique<Record>();
        window->GetWindowPrefs(record.get());
        closed = std::move(record);
    });
}

void Preferences::KeepLastClosedWindow()
{
    mKeepClosedWindow = mClosedDataWindow != nullptr || mClosedGraphWindow != nullptr;
}

void Preferences::ForgetClosedWindow()
{
    mClosedDataWindow.reset();
    mClosedGraphWindow.reset();
    mKeepClosedWindow = false;
}

void Preferences::AddDataWindow(RecordedDataWindow* window)
{
    ThrowIfNil_(window);
    ForgetClosedWindow();
    mOpenDataWindows.AddItem(window);
    window->AddListener(this);
}

void Preferences::AddGraphWindow(RecordedGraphWindow* window)
{
    ThrowIfNil_(window);
    ForgetClosedWindow();
    mOpenGraphWindows.AddItem(window);
    window->AddListener(this);
}

void Preferences::SetSensorColor(int32_t position, const RGBColor& color)
{
    Assert_(position >= 0 && position < kSensorColorCount);
    mSensorColors[static_cast<size_t>(position)] = color;
}

void Preferences::GetSensorColor(int32_t position, RGBColor& outColor) const
{
    Assert_(position >= 0 && position < kSensorColorCount);
    outColor = mSensorColors[static_cast<size_t>(position)];
}
