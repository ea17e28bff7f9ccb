// One temperature sensor of the machine: reads its source, converts raw readings, keeps its minimum,
// maximum and sample histories, samples every 5 seconds and keeps its data file.
#pragma once

#include "framework/LArray.h"
#include "framework/LBroadcaster.h"
#include "framework/LPeriodical.h"
#include "framework/PString.h"
#include "sensors/TempElementArray.h"

#include <cstdint>
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

// The raw threshold value of a sensor that has no such threshold.
constexpr int32_t kNoThreshold = -12345;

// Broadcast by a sensor, with itself as parameter, after each sample it took.
constexpr MessageT msg_SampleTaken = FourCC("Samp");

class TemperatureSensor : public LPeriodical, public LBroadcaster {
public:
    static constexpr int32_t kShortTermCapacity = 500;
    static constexpr int32_t kLongTermCapacity = 15000;
    static constexpr int32_t kSamplesPerLongTermSample = 12;
    static constexpr double kSampleIntervalSeconds = 5.0;
    // Besides the save at quit, every sensor saves its data file after this many samples (10 minutes),
    // so that a crash or power cut costs at most that much of the record.
    static constexpr int32_t kSamplesBetweenSaves = 120;
    static constexpr int32_t kDataFileVersion = 3;
    // A full data file holds 62,020 bytes; one far larger is no record of a sensor (a valid record padded
    // to a gigabyte would otherwise be read whole), and is set aside without being read.
    static constexpr size_t kMostDataFileBytes = 1 << 20;

    // Loads the data file, takes the first sample and starts sampling every 5 seconds.
    TemperatureSensor(uint32_t source, int32_t type, int16_t index);
    // Saves the data file and stops sampling.
    ~TemperatureSensor() override;

    // Reading.
    int32_t GetRawSensorTemperature();
    int32_t GetSensorType() const { return mType; }
    uint32_t GetSource() const { return mSource; }
    virtual int16_t GetSensorIndex() const { return static_cast<int16_t>(mIndex); }
    virtual void SetSensorIndex(int16_t index) { mIndex = index; }
    int32_t GetRawMinimumReading() const { return mRawMinimum; }
    int32_t GetRawMaximumReading() const { return mRawMaximum; }
    int32_t GetRawLowThreshold();
    int32_t GetRawHighThreshold();
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

    // Texts; out must have room for kScaledTemperatureTextSize bytes.
    void ConvertRawTemperatureToString(int32_t raw, char* out);
    void GetSensorTemperatureAsString(char* out);
    void GetSensorTemperatureAsPercent(char* out);
    // Writes the name as a C string of at most length bytes (terminator included); true only when it
    // copied a registry "location". For types without a name, out is left as it was.
    bool GetSensorName(char* out, long length);
    std::string GetSensorName();

    // Histories: position 1 is the newest sample.
    TempElementArray* GetSTTempArray() { return &mShortTerm; }
    TempElementArray* GetLTTempArray() { return &mLongTerm; }

    // Takes one sample, tells the listeners (msg_SampleTaken); returns the new sample counter.
    int32_t CreateNewEvent();
    void SpendTime(const EventRecord& event) override;

    // Empties both histories and saves the data file.
    virtual void ResetData();
    // flushToDisk waits until the file is on the disk; the periodic and quit saves always do. A file found
    // at start-up that could be neither read nor set aside is not written.
    void SaveData(bool flushToDisk = true);
    void LoadData();
    void StreamOut(LStream& stream);
    void StreamIn(LStream& stream);
    void GetDatafileName(Str255& out);
    // The data file's path in the program's folder (creating the folder when missing); throws when the
    // folder cannot be found or made.
    std::string GetDatafilePath();

private:
    // The source's reading now; nullopt when it has none at this moment.
    std::optional<int32_t> ReadSource();
    // The source's reading, or the last one when it has none now, entered in the range.
    std::optional<int32_t> TakeReading();
    void NoteReading(int32_t raw);
    void ClearHistories();
    // Keeps a file that cannot be used out of the way, as "<name>.damaged"; when even that fails, the file
    // is not written during this run.
    void SetAsideUnusableFile(const std::string& path, const std::string& problem);

    int32_t mType;
    uint32_t mSource;
    TempElementArray mLongTerm;
    TempElementArray mShortTerm;
    int32_t mIndex;
    int32_t mRawMinimum = 0;
    int32_t mRawMaximum = 0;
    int32_t mSampleCounter = 0;
    std::optional<int32_t> mLastReading;
    bool mFileWritable = true;
};
