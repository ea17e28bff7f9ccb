#include "sensors/SensorMaster.h"

#include "framework/LException.h"
#include "framework/LFileStream.h"
#include "framework/UThreadWakeup.h"
#include "platform/Platform.h"
#include "prefs/KelvaraSettings.h"
#include "sensors/HardwareWatch.h"
#include "sensors/HistoryExport.h"
#include "sensors/NvmlSession.h"
#include "sensors/ReadingThreads.h"
#include "sensors/SensorDescription.h"
#include "sensors/SensorDiscovery.h"
#include "sensors/SensorKeyMap.h"
#include "sensors/SensorSampler.h"
#include "sensors/TemperatureSensor.h"
#include "sensors/TimelineFile.h"
#include "sensors/UDisksDriveWatch.h"
#include "util/UtilitiesFolder.h"

#include <QTimer>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>

namespace {

// Discovery's result, shared with the worker that runs it: start-up waits for it a while, and a result
// that comes later is taken on the event loop.
struct Discovery {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<std::vector<SensorDescription>> found;
    std::string listing;
};

// The names in the program's folder that are sensors' data files.
std::vector<std::string> DataFileNames()
{
    std::string folder;
    if (FindUtilitiesFolder(false, folder) != 0)
        return {};
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::vector<std::string> dataFiles;
    for (const std::string& name : names) {
        if (HistoryExport::IsDataFileName(name, names))
            dataFiles.push_back(name);
    }
    return dataFiles;
}

}

// The reasons the writer's thread found for files it could not write, for the event loop to take.
struct SensorMaster::SaveFailures {
    std::mutex mutex;
    std::vector<std::string> reasons;
};

SensorMaster* SensorMaster::sInstance = nullptr;

namespace {

std::optional<SamplingTimes>& TimesForTesting()
{
    static std::optional<SamplingTimes> times;
    return times;
}

}

void SensorMaster::SetSamplingTimesForTesting(std::optional<SamplingTimes> times)
{
    TimesForTesting() = times;
}

SensorMaster* SensorMaster::Get()
{
    if (sInstance == nullptr)
        sInstance = new SensorMaster;
    return ThrowIfNil_(sInstance);
}

void SensorMaster::DeleteInstanceForTesting()
{
    if (sInstance != nullptr) {
        sInstance->TerminateAndSaveData();
        delete sInstance;
        sInstance = nullptr;
    }
}

SensorMaster::SensorMaster()
    : mSensors(12)
    , mThreads(std::make_unique<ReadingThreads>())
    , mNvml(std::make_shared<NvmlSession>())
    , mKeys(std::make_unique<SensorKeyMap>())
    , mSaveFailures(std::make_shared<SaveFailures>())
    , mContext(std::make_unique<QObject>())
{
    mSaveFailureWakeup = std::make_unique<UThreadWakeup>([this] {
        std::vector<std::string> reasons;
        {
            std::lock_guard lock(mSaveFailures->mutex);
            reasons.swap(mSaveFailures->reasons);
        }
        for (const std::string& reason : reasons) {
            if (mSaveFailureCall)
                mSaveFailureCall(reason);
        }
    });
    mWriter = std::make_unique<UBackgroundWriter>([failures = mSaveFailures, signal = mSaveFailureWakeup->GetSignal()](
                                                      const UBackgroundWriter::File&, const std::string& reason) {
        std::lock_guard lock(failures->mutex);
        failures->reasons.push_back(reason);
        signal->Raise();
    });
    if (std::string path = KeyMapPath(false); !path.empty())
        mKeys->Load(path);
    if (std::string folder; FindUtilitiesFolder(false, folder) == 0)
        mTimelines = TimelineFile::Load(folder, true);

    // Drives come from UDisks2 on the machine itself (services installed in its place have none).
    std::shared_ptr<UDisksDriveWatch::Offers> drives;
    if (Platform::ScansMachine()) {
        mDrives = std::make_unique<UDisksDriveWatch>(
            Platform::SysfsRoot(), [this](std::vector<SensorDescription> more) { TakeDrives(std::move(more)); });
        drives = mDrives->GetOffers();
    }

    // Discovery reads names, labels and limits, which a hung chip can hold: it runs on a worker, and
    // start-up goes on without it after a while.
    auto discovery = std::make_shared<Discovery>();
    mThreads->Submit({ [discovery, drives, nvml = mNvml] {
        std::string listing = HardwareWatch::ListHardware();
        std::vector<SensorDescription> found = SensorDiscovery::Discover(true, nvml);
        if (drives) {
            // Drives come last; one that a drivetemp channel already shows is left out.
            std::vector<SensorDescription> more = UDisksDriveWatch::AwaitFirstListing(drives, kDriveListingWait);
            std::set<std::string> devicePaths;
            for (const SensorDescription& sensor : found)
                devicePaths.insert(sensor.devicePath);
            UDisksDriveWatch::DropCovered(more, devicePaths);
            std::move(more.begin(), more.end(), std::back_inserter(found));
        }
        std::lock_guard lock(discovery->mutex);
        discovery->listing = std::move(listing);
        discovery->found = std::move(found);
        discovery->done.notify_all();
    } });
    std::vector<SensorDescription> found;
    std::string listing;
    {
        std::unique_lock lock(discovery->mutex);
        if (discovery->done.wait_for(lock, kDiscoveryWait, [&] { return discovery->found.has_value(); })) {
            found = std::move(*discovery->found);
            listing = std::move(discovery->listing);
        } else {
            std::fprintf(stderr,
                "Kelvara: finding the sensors takes longer than %lld seconds (a chip that does not answer?); the "
                "sensors join as they are found\n",
                static_cast<long long>(kDiscoveryWait.count() / 1000));
        }
    }

    mSampler = std::make_unique<SensorSampler>(
        mSensors, [this] { RoundRecorded(); }, TimesForTesting().value_or(SamplingTimes {}));
    TakeDiscovered(std::move(found));
    // A discovery that did not finish in time leaves an empty listing, so the first look discovers again.
    mWatch = std::make_unique<HardwareWatch>(
        listing, [this](std::vector<SensorDescription> more) { TakeDiscovered(std::move(more)); }, mNvml);
    mSampler->SetRoundCompanion([this] { return mWatch ? mWatch->TakeLook() : nullptr; });
    mSampler->Start();
    mRunning = true;
}

SensorMaster::~SensorMaster()
{
    mDrives.reset();
    mWatch.reset();
    mSampler.reset();
}

std::string SensorMaster::KeyMapPath(bool createFolder) const
{
    // Only a settings file that is safe to read (a regular file of a sane size) is read or written.
    return KelvaraSettings::Get()->GetUsablePath(createFolder);
}

void SensorMaster::Insert(TemperatureSensor* sensor)
{
    // In index order, so that menus, preference rows and first-run windows keep names and colours together.
    ArrayIndexT at = mSensors.GetCount() + 1;
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        if (mSensors[i]->GetSensorIndex() > sensor->GetSensorIndex()) {
            at = i;
            break;
        }
    }
    mSensors.InsertItemAt(at, sensor);
}

void SensorMaster::TakeDiscovered(std::vector<SensorDescription> found)
{
    std::vector<SensorDescription> fresh;
    for (SensorDescription& description : found) {
        if (TemperatureSensor* known = FindSensorByKey(description.key)) {
            // A chip that went and came back: the same sensor, reading its new files.
            if (description.reader)
                known->SetReader(description.reader);
            if (!description.deviceName.empty())
                known->SetDeviceName(description.deviceName);
        } else {
            fresh.push_back(std::move(description));
        }
    }
    if (fresh.empty())
        return;
    size_t knownBefore = mKeys->Known().size();
    std::vector<SensorIdentity> identities = mKeys->Assign(fresh, DataFileNames());
    if (mKeys->Known().size() != knownBefore) {
        if (std::string path = KeyMapPath(true); !path.empty())
            mKeys->Save(path);
    }
    for (size_t i = 0; i < fresh.size(); ++i) {
        if (FindSensorByKey(identities[i].key))
            continue;
        fresh[i].name = identities[i].name;
        LException::ReportAndDrop("taking on a sensor", [&] {
            auto sensor = std::make_unique<TemperatureSensor>(fresh[i], identities[i].index);
            sensor->SetGivenName(identities[i].givenName);
            if (auto recorded = mTimelines.timelines.find(sensor->GetStableKey());
                recorded != mTimelines.timelines.end())
                sensor->TakeTimeline(recorded->second);
            Insert(sensor.release());
        });
    }
    if (mRunning) {
        std::fprintf(stderr, "Kelvara: %zu new sensors found\n", fresh.size());
        BroadcastMessage(msg_SensorsAdded, nullptr);
    }
}

void SensorMaster::TakeDrives(std::vector<SensorDescription> drives)
{
    std::set<std::string> devicePaths;
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        if (!mSensors[i]->GetStableKey().starts_with(UDisksDriveWatch::kKeyPrefix))
            devicePaths.insert(mSensors[i]->GetDevicePath());
    }
    UDisksDriveWatch::DropCovered(drives, devicePaths);
    TakeDiscovered(std::move(drives));
}

TemperatureSensor* SensorMaster::FindSensorByKey(const std::string& key) const
{
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        if (mSensors[i]->GetStableKey() == key)
            return mSensors[i];
    }
    return nullptr;
}

std::vector<std::string> SensorMaster::GetSensorNames() const
{
    std::vector<std::string> names;
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i)
        names.push_back(mSensors[i]->GetSensorName());
    return names;
}

std::vector<std::string> SensorMaster::GetShownNames() const
{
    std::vector<std::string> names;
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i)
        names.push_back(mSensors[i]->GetShownName());
    return names;
}

void SensorMaster::RenameSensor(TemperatureSensor& sensor, const std::string& typed)
{
    std::string given = SensorKeyMap::CleanGivenName(typed, sensor.GetSensorName());
    if (given == sensor.GetGivenName())
        return;
    sensor.SetGivenName(given);
    // The name holds for this run even when the file cannot keep it.
    if (mKeys->SetGivenName(sensor.GetStableKey(), given)) {
        if (std::string path = KeyMapPath(true); !path.empty())
            mKeys->Save(path);
        else
            std::fprintf(stderr, "Kelvara: the settings file cannot be written; \"%s\" keeps its name until quit\n",
                sensor.GetShownName().c_str());
    }
    BroadcastMessage(msg_SensorRenamed, &sensor);
}

void SensorMaster::SetFirstRoundCall(std::function<void()> call)
{
    mFirstRoundCall = std::move(call);
    if (mRounds > 0)
        CallAfterFirstRound();
}

void SensorMaster::CallAfterFirstRound()
{
    // From the event loop itself, not from inside the sampler: the call may open a dialog. A call taken
    // back meanwhile is not made.
    QTimer::singleShot(0, mContext.get(), [this] {
        if (mFirstRoundCall)
            std::exchange(mFirstRoundCall, {})();
    });
}

void SensorMaster::RoundRecorded()
{
    if (++mRounds == 1 && mFirstRoundCall)
        CallAfterFirstRound();
    BroadcastMessage(msg_SamplesRecorded, nullptr);
    if (mRounds % kRoundsBetweenSaves == 0)
        LException::ReportAndDrop("saving the data files", [this] { SaveInBackground(); });
}

void SensorMaster::SaveInBackground()
{
    std::vector<UBackgroundWriter::File> files;
    std::optional<std::string> failure;
    // What cannot even be gathered (the folder gave way) is a save that failed, as a full disk is.
    auto gather = [&](const char* what, const std::function<void()>& work) {
        try {
            work();
        } catch (const LException& e) {
            std::fprintf(stderr, "Kelvara: saving %s: %s\n", what, e.what());
            if (!failure)
                failure = LException::DescribeCode(e.GetErrorCode());
        }
    };
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        gather("a sensor's data file", [&] {
            UBackgroundWriter::File file;
            file.what = "the data file";
            if (mSensors[i]->GatherData(file.path, file.bytes))
                files.push_back(std::move(file));
        });
    }
    gather("the timeline", [&] {
        UBackgroundWriter::File file;
        file.what = "the timeline";
        if (GatherTimeline(file.path, file.bytes))
            files.push_back(std::move(file));
    });
    if (mSaveExtras) {
        gather("the preferences", [&] {
            for (UBackgroundWriter::File& extra : mSaveExtras())
                files.push_back(std::move(extra));
        });
    }
    mWriter->Write(std::move(files));
    if (failure && mSaveFailureCall)
        mSaveFailureCall(*failure);
}

void SensorMaster::SaveNow()
{
    mWriter->WaitUntilDone();
    SaveTimeline();
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i)
        LException::ReportAndDrop("saving a sensor's data file", [&] { mSensors[i]->SaveData(); });
}

void SensorMaster::SaveTimeline()
{
    LException::ReportAndDrop("saving the timeline", [this] {
        std::string path;
        LFileStream stream;
        if (GatherTimeline(path, stream.GetBytesHeld()))
            stream.Commit(path);
    });
}

size_t SensorMaster::CountReadsOut() const
{
    return mSampler ? mSampler->CountReadsOut() : 0;
}

size_t SensorMaster::CountStuckReads()
{
    return sInstance != nullptr ? sInstance->CountReadsOut() : 0;
}

bool SensorMaster::GatherTimeline(std::string& outPath, std::vector<uint8_t>& outBytes)
{
    if (!mTimelines.writable || mSensors.IsEmpty())
        return false;
    std::string folder;
    if (int16_t status = FindUtilitiesFolder(true, folder); status != 0)
        Throw_(status, "cannot find or make the program's folder");
    for (ArrayIndexT i = 1; i <= mSensors.GetCount(); ++i) {
        // A data file that is not written keeps the timeline that dates it.
        if (mSensors[i]->WritesDataFile())
            mTimelines.timelines[mSensors[i]->GetStableKey()] = mSensors[i]->GetTimeline();
    }
    outPath = TimelineFile::PathIn(folder);
    std::string text = TimelineFile::Format(mTimelines.timelines);
    outBytes.assign(text.begin(), text.end());
    return true;
}

uint32_t SensorMaster::GetSamplesOfFirstSensor() const
{
    TemperatureSensor* first = nullptr;
    if (!mSensors.FetchItemAt(1, first) || first == nullptr)
        return 0;
    return static_cast<uint32_t>(first->GetLTTempArray()->GetCount());
}

void SensorMaster::TerminateAndSaveData()
{
    if (mSampler)
        mSampler->Stop();
    // A save on the writer's thread must not land after the last one.
    mWriter->WaitUntilDone();
    SaveTimeline();
    while (!mSensors.IsEmpty()) {
        TemperatureSensor* sensor = nullptr;
        mSensors.FetchItemAt(1, sensor);
        mSensors.RemoveItemsAt(1, 1);
        delete sensor;
    }
}

int32_t GetProcessorTempCount()
{
    return Platform::Processors().Count();
}

uint32_t GetProcessorTemp(int32_t processor)
{
    std::vector<int32_t> readings;
    if (!Platform::Processors().Read(readings) || processor < 0 || processor >= static_cast<int32_t>(readings.size()))
        return 0;
    return static_cast<uint32_t>(readings[static_cast<size_t>(processor)]);
}

bool ProcessorHasTemperatureSensor(int32_t processor)
{
    return Platform::Processors().HasTemperatureSensor(processor);
}
