#include "sensors/TemperatureSensor.h"

#include "framework/DamagedFile.h"
#include "framework/LException.h"
#include "framework/LFileStream.h"
#include "platform/Platform.h"
#include "sensors/SMCWrapper.h"
#include "sensors/SensorDataRecord.h"
#include "sensors/SensorMaster.h"
#include "util/SharedUtils.h"
#include "util/TemperatureUnits.h"
#include "util/UtilitiesFolder.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

const char* RegistryValueKey(int32_t type)
{
    switch (type) {
    case kSensorTypeRegistry:
    case kSensorTypeDiode:
    case kSensorTypeMaxim:
        return "current-value";
    case kSensorTypeCPUCore:
        return "core-temp";
    case kSensorTypeCPUFan:
        return "temperature";
    default:
        return nullptr;
    }
}

}

TemperatureSensor::TemperatureSensor(uint32_t source, int32_t type, int16_t index)
    : mType(type)
    , mSource(source)
    , mLongTerm(kLongTermCapacity)
    , mShortTerm(kShortTermCapacity)
    , mIndex(index)
{
    LoadData();
    CreateNewEvent();
    StartIdling(kSampleIntervalSeconds);
}

TemperatureSensor::~TemperatureSensor()
{
    LException::ReportAndDrop("saving a sensor's data file", [this] { SaveData(); });
    StopIdling();
    ClearHistories();
}

std::optional<int32_t> TemperatureSensor::ReadSource()
{
    int32_t reading = 0;
    if (const char* key = RegistryValueKey(mType)) {
        if (auto value = Platform::Registry().GetSInt32Property(mSource, key))
            reading = *value;
    } else if (mType == kSensorTypeProcessor) {
        uint32_t degrees = GetProcessorTemp(static_cast<int32_t>(mSource));
        // -1 is a package that cannot be read at this moment, not a temperature.
        if (degrees == 0xFFFFFFFFu)
            return std::nullopt;
        reading = static_cast<int32_t>(degrees);
    } else if (mType == kSensorTypeSMC) {
        reading = SMCWrapper::Get()->GetTemperature(static_cast<int32_t>(mSource));
    }
    return reading;
}

std::optional<int32_t> TemperatureSensor::TakeReading()
{
    // A source that cannot be read keeps its last value, as a hardware monitor channel does; before its
    // first reading there is nothing to record, and the range stays as it was.
    std::optional<int32_t> reading = ReadSource();
    if (!reading)
        reading = mLastReading;
    if (!reading)
        return std::nullopt;
    mLastReading = reading;
    if (mRawMaximum == 0) {
        mRawMinimum = *reading;
        mRawMaximum = *reading + 1;
    } else {
        NoteReading(*reading);
    }
    return reading;
}

int32_t TemperatureSensor::GetRawSensorTemperature()
{
    return TakeReading().value_or(0);
}

void TemperatureSensor::NoteReading(int32_t raw)
{
    if (raw < mRawMinimum)
        mRawMinimum = raw;
    if (raw > mRawMaximum)
        mRawMaximum = raw;
}

int32_t TemperatureSensor::GetRawLowThreshold()
{
    if (mType != kSensorTypeRegistry)
        return kNoThreshold;
    return Platform::Registry().GetSInt32Property(mSource, "low-threshold").value_or(kNoThreshold);
}

int32_t TemperatureSensor::GetRawHighThreshold()
{
    if (mType != kSensorTypeRegistry)
        return kNoThreshold;
    return Platform::Registry().GetSInt32Property(mSource, "high-threshold").value_or(kNoThreshold);
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
    ConvertRawTemperatureToString(GetRawSensorTemperature(), out);
}

void TemperatureSensor::GetSensorTemperatureAsPercent(char* out)
{
    std::snprintf(out, kScaledTemperatureTextSize, "%d%%", ConvertRawToPercent(GetRawSensorTemperature()));
}

bool TemperatureSensor::GetSensorName(char* out, long length)
{
    if (out == nullptr || length <= 0)
        return false;
    auto copy = [&](std::string_view text) {
        std::string_view cut = TruncateUtf8(text, static_cast<size_t>(length - 1));
        std::memcpy(out, cut.data(), cut.size());
        out[cut.size()] = '\0';
    };
    char formatted[64];
    switch (mType) {
    case kSensorTypeRegistry:
    case kSensorTypeDiode:
    case kSensorTypeMaxim:
        if (auto location = Platform::Registry().GetStringProperty(mSource, "location")) {
            copy(*location);
            return true;
        }
        return false;
    case kSensorTypeCPUCore:
        copy("Core temperature");
        return false;
    case kSensorTypeCPUFan:
        copy("Fan sensor temperature");
        return false;
    case kSensorTypeProcessor:
        if (GetProcessorTempCount() == 1)
            copy("CPU temperature");
        else {
            std::snprintf(formatted, sizeof formatted, "CPU %d temperature", static_cast<int>(mSource) + 1);
            copy(formatted);
        }
        return false;
    case kSensorTypeSMC:
        std::snprintf(formatted, sizeof formatted, "Thermal Sensor %d", static_cast<int>(mSource) + 1);
        copy(formatted);
        return false;
    default:
        return false;
    }
}

std::string TemperatureSensor::GetSensorName()
{
    char name[256] = "";
    GetSensorName(name, sizeof name);
    return name;
}

int32_t TemperatureSensor::CreateNewEvent()
{
    std::optional<int32_t> taken = TakeReading();
    if (!taken) {
        // Nothing read yet: no sample, but the clock of the long-term history and of the saves runs on.
        ++mSampleCounter;
        return mSampleCounter;
    }
    int32_t reading = *taken;
    // A full history lets its oldest sample go.
    mShortTerm.AddNewest(reading);
    if (mSampleCounter % kSamplesPerLongTermSample == 0)
        mLongTerm.AddNewest(reading);
    NoteReading(reading);
    ++mSampleCounter;
    if (mSampleCounter % kSamplesBetweenSaves == 0)
        LException::ReportAndDrop("saving a sensor's data file", [this] { SaveData(); });
    // The watch over the limits looks at each sample as it comes, without a timer of its own.
    BroadcastMessage(msg_SampleTaken, this);
    return mSampleCounter;
}

void TemperatureSensor::SpendTime(const EventRecord&)
{
    CreateNewEvent();
}

void TemperatureSensor::ClearHistories()
{
    mLongTerm.RemoveAllItems();
    mShortTerm.RemoveAllItems();
}

void TemperatureSensor::ResetData()
{
    ClearHistories();
    SaveData();
}

void TemperatureSensor::GetDatafileName(Str255& out)
{
    char name[256] = "";
    GetSensorName(name, 255);
    // '/' cannot stand in a file name; ':' takes its place, as it did on the Mac.
    for (char* c = name; *c != '\0'; ++c) {
        if (*c == '/')
            *c = ':';
    }
    char fileName[300];
    std::snprintf(fileName, sizeof fileName, "%02d %s", static_cast<int>(mIndex), name);
    SetStr255(out, TruncateUtf8(fileName, 31));
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
