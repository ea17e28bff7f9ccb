// Finds every temperature sensor of the machine when first used, gives each its index, owns them, and
// samples them all every 5 seconds. Sensors keep their index (and so their data file and colour) by the key
// of their hardware; chips that appear later join the list, which stays in index order.
#pragma once

#include "framework/FourCharCode.h"
#include "framework/LArray.h"
#include "framework/LBroadcaster.h"
#include "framework/UBackgroundWriter.h"
#include "sensors/TimelineFile.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class HardwareWatch;
class NvmlSession;
class UThreadWakeup;
class QObject;
class ReadingThreads;
class SensorKeyMap;
class SensorSampler;
struct SamplingTimes;
class TemperatureSensor;
class UDisksDriveWatch;
struct SensorDescription;

using SensorArray = TArray<TemperatureSensor*>;

// Broadcast, without parameter, after each sample of every sensor.
constexpr MessageT msg_SamplesRecorded = FourCC("Smpl");
// Broadcast, without parameter, when sensors joined the list (new hardware, or discovery that came late).
constexpr MessageT msg_SensorsAdded = FourCC("SAdd");
// Broadcast, with the sensor as parameter, when the user gave a sensor another name.
constexpr MessageT msg_SensorRenamed = FourCC("SRen");

class SensorMaster : public LBroadcaster {
public:
    // At start-up, discovery may take this long (on a worker: a hung chip's label or limit can block it)
    // before the program goes on without; what it finds later joins as new hardware does.
    static constexpr std::chrono::milliseconds kDiscoveryWait { 2000 };
    // Of that, how long discovery waits for UDisks2 to list its drives; a later answer joins as new hardware.
    static constexpr std::chrono::milliseconds kDriveListingWait { 1000 };
    // Every sensor's data file and the preferences are written every 10 minutes while the program runs.
    static constexpr int32_t kRoundsBetweenSaves = 120;

    // The singleton; the first call discovers the sensors, which load their data files, and starts sampling.
    static SensorMaster* Get();
    // For tests: deletes the singleton (its sensors save their files) so that the next Get discovers anew.
    static void DeleteInstanceForTesting();
    // For tests: the sampling times of the masters made from now on (nullopt: the program's own).
    static void SetSamplingTimesForTesting(std::optional<SamplingTimes> times);

    ~SensorMaster() override;

    SensorArray* GetSensorArray() { return &mSensors; }
    int16_t GetSensorCount() const { return static_cast<int16_t>(mSensors.GetCount()); }
    uint32_t GetSamplesOfFirstSensor() const;
    TemperatureSensor* FindSensorByKey(const std::string& key) const;
    // Every sensor's name, in the list's order: what the Sensors menus offer.
    std::vector<std::string> GetSensorNames() const;
    // What the displays show of each: the names the user gave, else the hardware's, in the list's order.
    std::vector<std::string> GetShownNames() const;
    // Gives the sensor the name the user typed (cleaned; empty or the hardware's name restores that), keeps
    // it in the settings file by the sensor's key, and tells the listeners (msg_SensorRenamed) when it changed.
    void RenameSensor(TemperatureSensor& sensor, const std::string& typed);
    SensorSampler& GetSampler() { return *mSampler; }

    // call runs on the event loop once the first round of samples is recorded: now, when it is already.
    void SetFirstRoundCall(std::function<void()> call);

    // Sensors found while running: known keys take their new readers, new ones join the list.
    void TakeDiscovered(std::vector<SensorDescription> found);

    // Drives UDisks2 offered while running: those a hardware monitor channel does not already show join.
    void TakeDrives(std::vector<SensorDescription> drives);

    // The 10-minute save: every sensor's data file and the timeline, gathered now on the event loop and written on the
    // writer's thread, with what the program adds to it (the preferences).
    void SaveInBackground();
    // Writes every sensor's data file and the timeline now, on this thread, after the saves in progress.
    void SaveNow();
    // Returns once the 10-minute saves handed over so far are written.
    void WaitForSaves() { mWriter->WaitUntilDone(); }
    void SetSaveExtras(std::function<std::vector<UBackgroundWriter::File>()> extras)
    {
        mSaveExtras = std::move(extras);
    }
    // call hears, on the event loop, why a file of the 10-minute save could not be written (a full disk).
    void SetSaveFailureCall(std::function<void(const std::string& reason)> call) { mSaveFailureCall = std::move(call); }

    // Stops sampling, waits for the saves in progress, writes the timeline, deletes every sensor, each of
    // which saves its data file; the list stays, empty.
    void TerminateAndSaveData();
    // Reads that never returned (a channel stuck in the kernel): the process must not wait for them at exit.
    size_t CountReadsOut() const;
    // The same for the singleton, 0 when there is none.
    static size_t CountStuckReads();

private:
    SensorMaster();
    void Insert(TemperatureSensor* sensor);
    void RoundRecorded();
    void CallAfterFirstRound();
    std::string KeyMapPath(bool createFolder) const;
    // The timeline file's path and bytes, with every sensor's timeline as it is now and the recorded ones of
    // sensors that are not here; false when it is not to be written or the folder cannot be made.
    bool GatherTimeline(std::string& outPath, std::vector<uint8_t>& outBytes);
    void SaveTimeline();

    SensorArray mSensors;
    std::unique_ptr<ReadingThreads> mThreads;
    // NVIDIA's library, shared by discovery and the cards' sources (which may outlive the master on a thread).
    std::shared_ptr<NvmlSession> mNvml;
    std::unique_ptr<SensorKeyMap> mKeys;
    // The timelines recorded by key, read at start; a sensor takes its own when it joins.
    TimelineFile::Loaded mTimelines;
    std::unique_ptr<SensorSampler> mSampler;
    std::unique_ptr<HardwareWatch> mWatch;
    std::unique_ptr<UDisksDriveWatch> mDrives;
    std::unique_ptr<UBackgroundWriter> mWriter;
    std::function<std::vector<UBackgroundWriter::File>()> mSaveExtras;
    std::function<void()> mFirstRoundCall;
    std::function<void(const std::string&)> mSaveFailureCall;
    struct SaveFailures;
    std::shared_ptr<SaveFailures> mSaveFailures;
    std::unique_ptr<UThreadWakeup> mSaveFailureWakeup;
    // Bounds the calls posted to the event loop to the master's life.
    std::unique_ptr<QObject> mContext;
    int32_t mRounds = 0;
    // Discovery at start-up is over: sensors found from now on are news for the windows.
    bool mRunning = false;
    static SensorMaster* sInstance;
};

// The kernel's processor temperatures: the number of processors it reports (0 on failure), and the
// reading of processor p in degrees Celsius (-1, all bits set, without a reading; 0 on failure or when
// p is out of range).
int32_t GetProcessorTempCount();
uint32_t GetProcessorTemp(int32_t processor);
// Whether processor p has a temperature sensor, even one that cannot be read at this moment.
bool ProcessorHasTemperatureSensor(int32_t processor);
