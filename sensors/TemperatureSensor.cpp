#include "sensors/TemperatureSensor.h"

#include "framework/DamagedFile.h"
#include "framework/LException.h"
#include "framework/LFileStream.h"
#include "platform/Platform.h"
#include "sensors/DataFileName.h"
#include "sensors/SensorDataRecord.h"
#include "sensors/SensorDiscovery.h"
#include "util/SharedUtils.h"
#include "util/TemperatureUnits.h"
#include "util/UtilitiesFolder.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

// The upper 16 bits, or the high byte of 8.8, with the sign kept.
int32_t ShiftRight(int32_t raw, int bits)
{
    return raw >> bits;
}

int32_t CapAt100(int32_t celsius)
{
    return celsius > 99 ? 100 : celsius;
}

// 16.16 fixed point to the nearest whole number, halves away from zero (in integers: graphs convert
// thousands of samples at a time).
int32_t Fix2Long(int32_t raw)
{
    int64_t magnitude = (std::abs(static_cast<int64_t>(raw)) + 0x8000) >> 16;
    return static_cast<int32_t>(raw < 0 ? -magnitude : magnitude);
}

}

TemperatureSensor::TemperatureSensor(const SensorDescription& description, int16_t index)
    : mType(description.type)
    , mSource(description.source)
    , mLongTerm(kLongTermCapacity)
    , mShortTerm(kShortTermCapacity)
    , mIndex(index)
    , mKey(description.key)
    , mName(description.name)
    , mDeviceName(description.deviceName)
    , mDevicePath(description.devicePath)
    , mChannel(description.channel)
    , mNameIsLocation(description.nameIsLocation)
    , mReader(description.reader)
    , mLowThreshold(description.lowThreshold)
    , mHighThreshold(description.highThreshold)
    , mMaxThreshold(description.maxThreshold)
    , mCritThreshold(description.critThreshold)
{
    LoadData();
}

TemperatureSensor::TemperatureSensor(uint32_t source, int32_t type, int16_t index)
    : TemperatureSensor(SensorDiscovery::Describe(source, type), index)
{
}

TemperatureSensor::~TemperatureSensor()
{
    LException::ReportAndDrop("saving a sensor's data file", [this] { SaveData(); });
    ClearHistories();
}

void TemperatureSensor::NoteSourceReading(const SourceReading& reading, Moment when)
{
    mAsleep = reading.status == SourceReading::Status::Asleep;
    if (reading.status == SourceReading::Status::Failed)
        ++mReadErrors;
    if (!reading.IsValid())
        return;
    mLastReading = reading.raw;
    mLastReadingTime = when;
    mSilent = false;
    // The first reading ever opens the range a degree wide; the later ones widen it.
    if (mRawMaximum == 0) {
        mRawMinimum = reading.raw;
        mRawMaximum = reading.raw + 1;
    } else {
        NoteReading(reading.raw);
    }
}

void TemperatureSensor::CheckSilence(Moment now, std::chrono::milliseconds silence)
{
    if (mLastReading && now - mLastReadingTime > silence)
        mSilent = true;
}

std::optional<int32_t> TemperatureSensor::GetCurrentReading() const
{
    if (mSilent || mAsleep)
        return std::nullopt;
    return mLastReading;
}

void TemperatureSensor::NoteReading(int32_t raw)
{
    if (raw < mRawMinimum)
        mRawMinimum = raw;
    if (raw > mRawMaximum)
        mRawMaximum = raw;
}

int32_t TemperatureSensor::ScaleMaxim1631ToC(int32_t raw)
{
    return CapAt100(static_cast<int16_t>(static_cast<uint32_t>(raw) >> 16));
}

int32_t TemperatureSensor::ScaleDallasDS1775ToC(int32_t raw)
{
    return CapAt100(ShiftRight(raw, 8));
}

int32_t TemperatureSensor::ScaleiMacG5TDiodeToC(int32_t raw)
{
    int32_t mapped = CapAt100(SharedUtils_MapFromTo(raw, 508, 692, 44, 76));
    if (mapped != 100)
        return mapped;
    // Beyond the diode's calibrated range the reading is taken as 16.16 fixed point instead.
    return CapAt100(ShiftRight(raw, 16));
}

// The readings of today's hardware monitors, processor packages and SMC keys are true temperatures, and a
// GPU hot spot at 110 C must read 110: only the old Mac chips' conversions stop at 100.
bool TemperatureSensor::HasTrueReadings() const
{
    return mType == kSensorTypeRegistry || mType == kSensorTypeProcessor || mType == kSensorTypeSMC;
}

int32_t TemperatureSensor::ConvertRawToCelcius(int32_t raw)
{
    switch (mType) {
    case kSensorTypeRegistry:
        return Fix2Long(raw);
    case kSensorTypeProcessor:
        return raw;
    case kSensorTypeCPUCore:
        return CapAt100(raw);
    case kSensorTypeCPUFan:
        return ScaleDallasDS1775ToC(raw);
    case kSensorTypeDiode:
        return ScaleiMacG5TDiodeToC(raw);
    case kSensorTypeMaxim:
        return ScaleMaxim1631ToC(raw);
    default:
        return raw;
    }
}

int32_t TemperatureSensor::ConvertRawToBaseCelsius(int32_t raw)
{
    switch (mType) {
    case kSensorTypeRegistry:
        return Fix2Long(raw);
    case kSensorTypeCPUCore:
    case kSensorTypeProcessor:
    case kSensorTypeSMC:
        return raw;
    case kSensorTypeCPUFan:
        return CapAt100(ShiftRight(raw, 8));
    case kSensorTypeDiode:
        return ScaleiMacG5TDiodeToC(raw);
    case kSensorTypeMaxim:
        return CapAt100(ShiftRight(raw, 16));
    default:
        return raw;
    }
}

int32_t TemperatureSensor::ConvertRawToScaledTemp(int32_t raw)
{
    if (mType < kSensorTypeRegistry || mType > kSensorTypeSMC)
        return raw;
    return ConvertCToScale(ConvertRawToBaseCelsius(raw));
}

int32_t TemperatureSensor::ConvertRawToFahrenheit(int32_t raw)
{
    int32_t fahrenheit = raw;
    if (mType >= kSensorTypeRegistry && mType <= kSensorTypeSMC)
        fahrenheit = ConvertCToScale(ConvertRawToBaseCelsius(raw), kScaleFahrenheit);
    if (HasTrueReadings())
        return fahrenheit;
    return fahrenheit > 211 ? 212 : fahrenheit;
}

int32_t TemperatureSensor::ConvertRawToPercent(int32_t raw)
{
    int32_t low = ConvertRawToCelcius(mRawMinimum);
    int32_t high = ConvertRawToCelcius(mRawMaximum);
    int32_t current = ConvertRawToCelcius(raw);
    int32_t percent = 0;
    if (high != low) {
        // Wrapping 32-bit arithmetic, as the percentage has always been computed; only the one division
        // that would trap (the lowest value by -1) is done by hand.
        auto wrap = [](uint32_t value) { return static_cast<int32_t>(value); };
        int32_t numerator = wrap((static_cast<uint32_t>(current) - static_cast<uint32_t>(low)) * 100u);
        int32_t denominator = wrap(static_cast<uint32_t>(high) - static_cast<uint32_t>(low));
        percent = denominator == -1 ? wrap(0u - static_cast<uint32_t>(numerator)) : numerator / denominator;
    }
    if (high == current)
        percent = 100;
    return percent;
}

void TemperatureSensor::ConvertRawTemperatureToString(int32_t raw, char* out)
{
    FormatScaledTemperatureAsString(ConvertRawToScaledTemp(raw), out);
}

void TemperatureSensor::GetSensorTemperatureAsString(char* out)
{
    if (std::optional<int32_t> raw = GetCurrentReading())
        ConvertRawTemperatureToString(*raw, out);
    else
        std::snprintf(out, kScaledTemperatureTextSize, "%s", mAsleep ? kAsleepText : kNoReadingText);
}

void TemperatureSensor::GetSensorTemperatureAsPercent(char* out)
{
    if (std::optional<int32_t> raw = GetCurrentReading())
        std::snprintf(out, kScaledTemperatureTextSize, "%d%%", ConvertRawToPercent(*raw));
    else
        std::snprintf(out, kScaledTemperatureTextSize, "%s", mAsleep ? kAsleepText : kNoReadingText);
}

bool TemperatureSensor::GetSensorName(char* out, long length)
{
    if (out == nullptr || length <= 0)
        return false;
    // A registry entry without a location, or a type without a name, leaves the caller's buffer as it was.
    if (mName.empty())
        return false;
    std::string_view cut = TruncateUtf8(mName, static_cast<size_t>(length - 1));
    std::memcpy(out, cut.data(), cut.size());
    out[cut.size()] = '\0';
    return mNameIsLocation;
}

std::string TemperatureSensor::GetNameToolTip() const
{
    std::string tip = GetShownName();
    if (!mGivenName.empty() && !mName.empty())
        tip += " (" + mName + ")";
    if (!mDeviceName.empty())
        tip += "\n" + mDeviceName;
    return tip;
}

int32_t TemperatureSensor::CreateNewEvent()
{
    std::optional<int32_t> reading = GetCurrentReading();
    if (reading) {
        // A full history lets its oldest sample go.
        mShortTerm.AddNewest(*reading);
        if (mSampleCounter % kSamplesPerLongTermSample == 0) {
            mLongTerm.AddNewest(*reading);
            // The wall clock, which runs on through a suspend that the sampling timers sleep through.
            mTimeline.Add(Platform::GetClock().GetUnixTime());
        }
        NoteReading(*reading);
    }
    // Without a reading there is no sample, but the clock of the long-term history runs on.
    ++mSampleCounter;
    // The watch over the limits looks at each sample as it comes, without a timer of its own.
    BroadcastMessage(msg_SampleTaken, this);
    return mSampleCounter;
}

void TemperatureSensor::ClearHistories()
{
    mLongTerm.RemoveAllItems();
    mShortTerm.RemoveAllItems();
    mTimeline.Clear();
}

void TemperatureSensor::TakeTimeline(SampleTimeline timeline)
{
    timeline.FitTo(mLongTerm.GetCount(), mLastSave);
    mTimeline = std::move(timeline);
}

void TemperatureSensor::ResetData()
{
    ClearHistories();
    SaveData();
}

void TemperatureSensor::GetDatafileName(Str255& out)
{
    SetStr255(out, MakeDataFileName(mIndex, mName));
}

std::string TemperatureSensor::GetDatafilePath()
{
    std::string folder;
    if (int16_t status = FindUtilitiesFolder(true, folder); status != 0)
        Throw_(status, "cannot find or make the program's folder");
    Str255 name;
    GetDatafileName(name);
    return folder + "/" + Str255ToString(name);
}

void TemperatureSensor::StreamOut(LStream& stream)
{
    stream << kDataFileVersion << mRawMinimum << mRawMaximum;
    for (TempElementArray* history : { &mLongTerm, &mShortTerm }) {
        stream << static_cast<int32_t>(history->GetCount());
        for (ArrayIndexT i = 1; i <= history->GetCount(); ++i)
            stream << ThrowIfNil_((*history)[i])->GetRawTemperature();
    }
}

void TemperatureSensor::StreamIn(LStream& stream)
{
    // The whole file is checked before anything is taken from it.
    SensorDataRecord record = SensorDataRecord::Read(stream);
    mRawMinimum = record.minimum;
    mRawMaximum = record.maximum;
    for (int32_t raw : record.longTerm)
        mLongTerm.AddOldest(raw);
    for (int32_t raw : record.shortTerm)
        mShortTerm.AddOldest(raw);
}

void TemperatureSensor::SaveData(bool flushToDisk)
{
    // A file that could be neither read nor set aside holds what the user recorded before: it stays.
    if (!mFileWritable)
        return;
    LFileStream stream;
    StreamOut(stream);
    stream.Commit(GetDatafilePath(), flushToDisk);
}

bool TemperatureSensor::GatherData(std::string& outPath, std::vector<uint8_t>& outBytes)
{
    if (!mFileWritable)
        return false;
    outPath = GetDatafilePath();
    LMemoryStream stream;
    StreamOut(stream);
    outBytes = std::move(stream.GetBytesHeld());
    return true;
}

void TemperatureSensor::LoadData()
{
    std::string path;
    LFileStream stream;
    try {
        path = GetDatafilePath();
        // What a save cut short by a crash or a power cut left behind; the file itself is whole.
        LFileStream::RemoveLeftoverTemporaries(path);
        stream.OpenForReading(path, kMostDataFileBytes);
    } catch (const LException& e) {
        if (e.GetErrorCode() == fnfErr)
            return;
        if (path.empty()) {
            std::fprintf(
                stderr, "Kelvara: cannot read the data file of sensor %d: %s\n", static_cast<int>(mIndex), e.what());
            return;
        }
        // A file that is there but cannot be read (permissions, an I/O error, a named pipe, a file far too
        // large) is no missing file: the next save would replace it.
        SetAsideUnusableFile(path, LFileStream::DescribeReadFailure(e));
        return;
    }
    try {
        StreamIn(stream);
        // Without a recorded timeline the newest sample was taken when the file was last saved.
        struct stat info { };
        mLastSave = ::stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_mtime)
                                                     : Platform::GetClock().GetUnixTime();
        mTimeline = SampleTimeline::MinuteApart(mLongTerm.GetCount(), mLastSave);
    } catch (const LException& e) {
        // A damaged file (cut short, another version, a negative count): start empty, and set the file
        // aside so that nothing the user recorded is lost.
        SetAsideUnusableFile(path, std::string("is damaged (") + e.what() + ")");
    }
}

void TemperatureSensor::SetAsideUnusableFile(const std::string& path, const std::string& problem)
{
    std::string keptAs = SetAsideDamagedFile(path);
    if (!keptAs.empty()) {
        std::fprintf(stderr,
            "Kelvara: the data file \"%s\" %s; the sensor starts empty and the file is kept as \"%s\"\n", path.c_str(),
            problem.c_str(), keptAs.c_str());
        return;
    }
    int error = errno;
    mFileWritable = false;
    std::fprintf(stderr,
        "Kelvara: the data file \"%s\" %s and cannot be set aside (%s); the sensor starts empty, and the file is "
        "left as it is and not written while Kelvara runs\n",
        path.c_str(), problem.c_str(), std::strerror(error));
}
