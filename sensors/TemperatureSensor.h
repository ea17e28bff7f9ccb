// One temperature sensor of the machine: keeps the newest reading of its source, converts raw readings,
// keeps its minimum, maximum and sample histories and its data file. Its source is read on worker threads
// (SensorSampler), which hand the readings over on the event loop; displays see the newest reading.
#pragma once

#include "framework/LArray.h"
#include "framework/LBroadcaster.h"
#include "framework/PString.h"
#include "sensors/SampleTimeline.h"
#include "sensors/SensorDescription.h"
#include "sensors/TempElementArray.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class LStream;

// Sensor types: the source and unit of the raw reading.
enum : int32_t {
    kSensorTypeRegistry = 1, // registry entry "current-value", 16.16 fixed point
    kSensorTypeCPUCore = 2, // CPU thermal driver "core-temp", whole degrees
    kSensorTypeCPUFan = 3, // CPU thermal driver "temperature", 8.8 fixed point
    kSensorTypeProcessor = 4, // kernel processor temperature, whole degrees
    kSensorTypeDiode = 5, // registry entry "current-value", thermal diode counts
    kSensorTypeMaxim = 6, // registry entry "current-value", 16.16 fixed point (Maxim 1631)
    kSensorTypeSMC = 7, // System Management Controller, whole degrees
};

// Broadcast by a sensor, with itself as parameter, after each sample it took.
constexpr MessageT msg_SampleTaken = FourCC("Samp");

// What a display shows in place of a value when the sensor has no reading, and while its device sleeps.
constexpr const char* kNoReadingText = "n/a";
constexpr const char* kAsleepText = "asleep";

class TemperatureSensor : public LBroadcaster {
public:
    static constexpr int32_t kShortTermCapacity = 500;
    static constexpr int32_t kLongTermCapacity = 15000;
    static constexpr int32_t kSamplesPerLongTermSample = 12;
    static constexpr double kSampleIntervalSeconds = 5.0;
    static constexpr int32_t kDataFileVersion = 3;
    // A full data file holds 62,020 bytes; one far larger is no record of a sensor (a valid record padded
    // to a gigabyte would otherwise be read whole), and is set aside without being read.
    static constexpr size_t kMostDataFileBytes = 1 << 20;

    using Moment = std::chrono::steady_clock::time_point;

    // A sensor of what discovery found, with its index; loads the data file. It takes no reading itself.
    TemperatureSensor(const SensorDescription& description, int16_t index);
    // A sensor of the given type over a source of the platform's services (a registry entry, a processor,
    // an SMC sensor), described as discovery would; loads the data file.
    TemperatureSensor(uint32_t source, int32_t type, int16_t index);
    // Saves the data file.
    ~TemperatureSensor() override;

    // Identity.
    const std::string& GetStableKey() const { return mKey; }
    // Where the hardware sits: its device path below /sys and its channel's file name (SensorDescription).
    const std::string& GetDevicePath() const { return mDevicePath; }
    const std::string& GetChannel() const { return mChannel; }
    int32_t GetSensorType() const { return mType; }
    uint32_t GetSource() const { return mSource; }
    virtual int16_t GetSensorIndex() const { return static_cast<int16_t>(mIndex); }
    virtual void SetSensorIndex(int16_t index) { mIndex = index; }
    // Where readings come from, to be read on a worker thread; a chip that came back takes a new one.
    const std::shared_ptr<SensorSource>& GetReader() const { return mReader; }
    void SetReader(std::shared_ptr<SensorSource> reader) { mReader = std::move(reader); }

    // Readings, as the sampler hands them over on the event loop: a valid one becomes the newest reading and
    // enters the minimum and maximum; a failed one leaves the last good value standing.
    void NoteSourceReading(const SourceReading& reading, Moment when);
    // A source without a valid reading for longer than silence has gone silent: it shows "n/a" and records
    // nothing until it reads again.
    void CheckSilence(Moment now, std::chrono::milliseconds silence);
    // The newest reading, when the sensor has one that counts: nullopt before its first valid reading, once it
    // has been silent too long, and while its device sleeps.
    std::optional<int32_t> GetCurrentReading() const;
    bool IsAsleep() const { return mAsleep; }
    // Reads that gave nothing (an error, a fault, a value no sensor reads) since the sensor was made; a device
    // that sleeps is not read, and that is no error.
    uint64_t GetReadErrorCount() const { return mReadErrors; }
    // The newest reading, 0 without one; displays ask GetCurrentReading, which tells "no reading" apart.
    int32_t GetRawSensorTemperature() const { return GetCurrentReading().value_or(0); }
    // Whether a range was ever recorded (the maximum of a sensor that saw nothing is 0).
    bool HasRecordedRange() const { return mRawMaximum != 0; }
    int32_t GetRawMinimumReading() const { return mRawMinimum; }
    int32_t GetRawMaximumReading() const { return mRawMaximum; }
    int32_t GetRawLowThreshold() const { return mLowThreshold; }
    // The limit that warns: the hardware monitor's max, else its crit; a CPU package's own limit.
    int32_t GetRawHighThreshold() const { return mHighThreshold; }
    int32_t GetRawMaxThreshold() const { return mMaxThreshold; }
    int32_t GetRawCritThreshold() const { return mCritThreshold; }
    int32_t GetSampleCounter() const { return mSampleCounter; }

    // Conversions, each to a signed 32-bit whole number.
    virtual int32_t ConvertRawToScaledTemp(int32_t raw);
    virtual int32_t ConvertRawToFahrenheit(int32_t raw);
    virtual int32_t ConvertRawToCelcius(int32_t raw);
    virtual int32_t ConvertRawToPercent(int32_t raw);
    // Degrees Celsius before scaling: like ConvertRawToCelcius but without the cap of type 2.
    int32_t ConvertRawToBaseCelsius(int32_t raw);
    // Types 1, 4 and 7 read true temperatures, which no conversion caps at 100 C or 212 F; the Mac chips'
    // types 2, 3, 5 and 6 stop there.
    bool HasTrueReadings() const;

    static int32_t ScaleMaxim1631ToC(int32_t raw);
    static int32_t ScaleDallasDS1775ToC(int32_t raw);
    static int32_t ScaleiMacG5TDiodeToC(int32_t raw);

    // Texts; out must have room for kScaledTemperatureTextSize bytes. The current value's texts are "n/a"
    // without a reading and "asleep" while the device sleeps.
    void ConvertRawTemperatureToString(int32_t raw, char* out);
    void GetSensorTemperatureAsString(char* out);
    void GetSensorTemperatureAsPercent(char* out);
    // Writes the name as a C string of at most length bytes (terminator included); true only when it
    // copied a registry "location". For types without a name, out is left as it was.
    bool GetSensorName(char* out, long length);
    // The hardware's name, by which data files, window records and tile lists know the sensor.
    std::string GetSensorName() const { return mName; }
    // The name every display shows: the one the user gave, else the hardware's.
    const std::string& GetShownName() const { return mGivenName.empty() ? mName : mGivenName; }
    const std::string& GetGivenName() const { return mGivenName; }
    // Sensors are renamed through their master (SensorMaster::RenameSensor), which keeps the name.
    void SetGivenName(std::string name) { mGivenName = std::move(name); }
    // The device the sensor belongs to, for its tool tips ("Samsung SSD 980 PRO 1TB, serial …6789"); empty
    // when that is not known.
    const std::string& GetDeviceName() const { return mDeviceName; }
    void SetDeviceName(std::string name) { mDeviceName = std::move(name); }
    // The tool tip of the sensor's name in rows and legends: the name shown, the hardware's name when the user
    // gave another, and the device.
    std::string GetNameToolTip() const;

    // Histories: position 1 is the newest sample.
    TempElementArray* GetSTTempArray() { return &mShortTerm; }
    TempElementArray* GetLTTempArray() { return &mLongTerm; }
    // When each long-term sample was taken. A history loaded without one is dated a minute a sample back
    // from its data file's last save; TakeTimeline gives it the one that was recorded.
    const SampleTimeline& GetTimeline() const { return mTimeline; }
    // The recorded timeline, fitted to the samples the history loaded from its data file.
    void TakeTimeline(SampleTimeline timeline);
    // Whether the data file is written (a file that could be neither read nor set aside is not).
    bool WritesDataFile() const { return mFileWritable; }

    // Takes one sample of the current reading (none without one), tells the listeners (msg_SampleTaken);
    // returns the new sample counter, which counts on either way.
    int32_t CreateNewEvent();

    // Empties both histories and saves the data file.
    virtual void ResetData();
    // flushToDisk waits until the file is on the disk; the periodic and quit saves always do. A file found
    // at start-up that could be neither read nor set aside is not written.
    void SaveData(bool flushToDisk = true);
    // What SaveData would write, and where, for a save on another thread; false when the file is not to be
    // written (it could be neither read nor set aside) or the folder cannot be found.
    bool GatherData(std::string& outPath, std::vector<uint8_t>& outBytes);
    void LoadData();
    void StreamOut(LStream& stream);
    void StreamIn(LStream& stream);
    void GetDatafileName(Str255& out);
    // The data file's path in the program's folder (creating the folder when missing); throws when the
    // folder cannot be found or made.
    std::string GetDatafilePath();

private:
    void NoteReading(int32_t raw);
    void ClearHistories();
    // Keeps a file that cannot be used out of the way, as "<name>.damaged"; when even that fails, the file
    // is not written during this run.
    void SetAsideUnusableFile(const std::string& path, const std::string& problem);

    int32_t mType;
    uint32_t mSource;
    TempElementArray mLongTerm;
    TempElementArray mShortTerm;
    SampleTimeline mTimeline;
    int32_t mIndex;
    int32_t mRawMinimum = 0;
    int32_t mRawMaximum = 0;
    int32_t mSampleCounter = 0;
    std::string mKey;
    std::string mName;
    std::string mGivenName;
    std::string mDeviceName;
    std::string mDevicePath;
    std::string mChannel;
    bool mNameIsLocation = false;
    std::shared_ptr<SensorSource> mReader;
    int32_t mLowThreshold = kNoThreshold;
    int32_t mHighThreshold = kNoThreshold;
    int32_t mMaxThreshold = kNoThreshold;
    int32_t mCritThreshold = kNoThreshold;
    // The last valid reading and when it came; it stands until the source has been silent too long.
    std::optional<int32_t> mLastReading;
    Moment mLastReadingTime {};
    bool mSilent = false;
    bool mAsleep = false;
    uint64_t mReadErrors = 0;
    bool mFileWritable = true;
    // When the data file was last saved, as it was loaded: the time of its newest sample.
    int64_t mLastSave = 0;
};
