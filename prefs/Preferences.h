// The single store of the user's settings, read from and written to the file "Kelvara Preferences".
#pragma once

#include "framework/FourCharCode.h"
#include "framework/LArray.h"
#include "framework/LBroadcaster.h"
#include "framework/LListener.h"
#include "framework/QuickDrawTypes.h"
#include "prefs/RecordedWindow.h"
#include "prefs/SensorNameList.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DataWindowPrefs;
class GraphWindowPrefs;
class LStream;
class TemperatureSensor;
template <typename T> class TArray;
using SensorArray = TArray<TemperatureSensor*>;

// Broadcast to the subscribers when the user has confirmed new settings.
constexpr MessageT msg_PrefsChanged = FourCC("PCha");

constexpr const char* kPreferencesFileName = "Kelvara Preferences";

class Preferences : public LListener, public LBroadcaster {
public:
    static constexpr uint16_t kFileVersion = 120;
    static constexpr uint16_t kOldFileVersion = 90;
    // Far more than any set of settings and window records takes: a larger file is set aside unread.
    static constexpr size_t kMostFileBytes = 16 << 20;
    static constexpr int32_t kSensorColorCount = 12;

    // The instance, made with every default on the first call.
    static Preferences* Get();
    // For tests: deletes the instance, so that the next Get starts afresh.
    static void DeleteInstanceForTesting();

    // Whether this program writes the preferences file: a Kelvara without windows only reads it, so that the
    // desktop's windows (and its first run) stay as the desktop left them.
    enum class Access { ReadWrite, ReadOnly };

    // Loads the file into the instance. No file is a first run (InitializePrefs). A damaged file, or one
    // that is there but cannot be read, is reported on standard error, kept beside as "Kelvara
    // Preferences.damaged", and the settings of a first run are used instead; when it cannot be set aside,
    // it is not written during this run. ReadOnly touches nothing in the folder (a damaged file stays where
    // it is) and never writes the file.
    static void ReadPrefs(Access access = Access::ReadWrite);
    // Replaces the file atomically with the instance's settings and the state of the open windows, at quit.
    static void SavePrefs();
    // What SavePrefs writes, and where, for the 10-minute save on the writer's thread; false when the file
    // is not to be written (it could be neither used nor set aside at start-up).
    static bool GatherPrefs(std::string& outPath, std::vector<uint8_t>& outBytes);

    ~Preferences() override;

    // Drops a closing data or graph window from its list; ignores every other message.
    void ListenToMessage(MessageT message, void* parameter) override;
    // Broadcasts msg_PrefsChanged, without parameter.
    virtual void NotifySubscribers();

    virtual void StreamOut(LStream& stream);
    // Throws eofErr for a file cut short and err_UnknownFormat for a version other than 120 and 90; the
    // fields read before stay.
    virtual void StreamIn(LStream& stream);

    virtual uint32_t GetCreationSeconds() const { return mCreationSeconds; }
    virtual int16_t GetTemperatureScale() const { return mTemperatureScale; }
    virtual void SetTemperatureScale(int16_t scale) { mTemperatureScale = scale; }
    // position is the sensor index minus 1, from 0 to 11; any other throws asrt and copies nothing.
    virtual void SetSensorColor(int32_t position, const RGBColor& color);
    virtual void GetSensorColor(int32_t position, RGBColor& outColor) const;
    virtual bool GetSubmittedTimedData() const { return mSubmittedTimedData != 0; }
    virtual void SetSubmittedTimedData(bool submitted) { mSubmittedTimedData = submitted ? 1 : 0; }
    virtual uint32_t GetDockIconType() const { return mDockIconType; }
    virtual void SetDockIconType(uint32_t type) { mDockIconType = type; }
    virtual int16_t GetDockGraphDisplayFormat() const { return mDockGraphDisplayFormat; }
    virtual void SetDockGraphDisplayFormat(int16_t item) { mDockGraphDisplayFormat = item; }
    virtual SensorNameList* GetDockGraphDisplayArray() { return &mDockGraphDisplayArray; }
    virtual int16_t GetDockGraphTimescale() const { return mDockGraphTimescale; }
    virtual void SetDockGraphTimescale(int16_t item) { mDockGraphTimescale = item; }
    virtual int16_t GetDockTextDisplayFormat() const { return mDockTextDisplayFormat; }
    virtual void SetDockTextDisplayFormat(int16_t item) { mDockTextDisplayFormat = item; }
    virtual SensorNameList* GetDockTextDisplayArray() { return &mDockTextDisplayArray; }
    virtual int16_t GetDockPictSensorIndex() const { return mDockPictSensorIndex; }
    virtual void SetDockPictSensorIndex(int16_t item) { mDockPictSensorIndex = item; }
    virtual bool GetDisplayLegend() const { return mDisplayLegend != 0; }
    virtual void SetDisplayLegend(bool display) { mDisplayLegend = display ? 1 : 0; }
    // On only when the stored byte is 1: any other value, as a damaged or foreign file may hold, is off.
    virtual bool GetVersionCheck() const { return mVersionCheck == 1; }
    virtual void SetVersionCheck(bool check) { mVersionCheck = check ? 1 : 0; }

    // Records the window when the preferences are saved, until it broadcasts that it closes. The window
    // stays the caller's; a null window throws nilP.
    virtual void AddDataWindow(RecordedDataWindow* window);
    virtual void AddGraphWindow(RecordedGraphWindow* window);
    // The program quits because its last window closed: that window is recorded as it was when it closed,
    // so that the next start opens it where it was.
    void KeepLastClosedWindow();
    // The records read from the file, owned by the preferences.
    virtual TArray<DataWindowPrefs*>* GetDataWindowPrefsArray() { return &mDataWindowPrefs; }
    virtual TArray<GraphWindowPrefs*>* GetGraphWindowPrefsArray() { return &mGraphWindowPrefs; }

    // A first run's settings: the scale of the user's locale (Fahrenheit where it measures in US units,
    // else Celsius), twelve sensor colours legible on light and dark plots, and the tile's sensor in both
    // Dock name lists.
    void InitializePrefs();
    // The tile's sensor on a first run: the CPU package, else the hottest sensor, else the first.
    static TemperatureSensor* TileSensorOfAFirstRun(SensorArray& sensors);

    // The version of the file last read.
    uint16_t GetFileVersion() const { return mFileVersion; }

private:
    Preferences();
    // Every setting back to its default, with a fresh CreationSeconds; the open windows stay.
    void ResetToDefaults();
    void DeleteWindowRecords();
    template <typename Window, typename Record> void NoteClosing(Window* window, std::unique_ptr<Record>& closed);
    void ForgetClosedWindow();
    // A first run's tile sensor chosen before any reading: chosen again once the first sample is in.
    void ChooseTileSensorAgain();
    static std::string PreferencesFilePath(int16_t& outStatus);
    void RecoverFromDamagedFile(const std::string& path, const std::string& problem, Access access);

    uint16_t mFileVersion = kFileVersion;
    uint8_t mReserved = 0;
    uint32_t mCreationSeconds = 0;
    uint8_t mSubmittedTimedData = 0;
    uint8_t mDisplayLegend = 1;
    uint8_t mVersionCheck = 1;
    int16_t mTemperatureScale = 2;
    TArray<RecordedDataWindow*> mOpenDataWindows;
    TArray<RecordedGraphWindow*> mOpenGraphWindows;
    TArray<DataWindowPrefs*> mDataWindowPrefs;
    TArray<GraphWindowPrefs*> mGraphWindowPrefs;
    std::array<RGBColor, kSensorColorCount> mSensorColors;
    uint32_t mDockIconType = 1;
    int16_t mDockGraphDisplayFormat = 1;
    SensorNameList mDockGraphDisplayArray;
    int16_t mDockGraphTimescale = 1;
    int16_t mDockTextDisplayFormat = 1;
    SensorNameList mDockTextDisplayArray;
    int16_t mDockPictSensorIndex = 1;
    // When the instance was made: the creation time of settings that start afresh.
    uint32_t mMadeSeconds;
    // False when the file found at start-up could be neither used nor set aside.
    bool mFileWritable = true;
    bool mToldNotWritten = false;
    // The time scales of the graph windows last recorded, in record order, for "Kelvara Settings.ini".
    std::vector<int32_t> mRecordedTimeScales;
    // The last recorded window to close, while no other is open.
    std::unique_ptr<DataWindowPrefs> mClosedDataWindow;
    std::unique_ptr<GraphWindowPrefs> mClosedGraphWindow;
    bool mKeepClosedWindow = false;
    // The tile sensor a first run chose before any reading, until the first sample.
    std::string mProvisionalTileSensor;

    static Preferences* sInstance;
};
