#include "sensors/SensorDataRecord.h"

#include "framework/LException.h"
#include "framework/LStream.h"

#include <algorithm>
#include <string>

namespace {

int32_t ReadCount(LStream& stream)
{
    int32_t count = 0;
    stream >> count;
    if (count < 0)
        Throw_(err_UnknownFormat, "a sample count of " + std::to_string(count));
    return count;
}

void ReadSamples(LStream& stream, int32_t count, std::vector<int32_t>& samples)
{
    // A count that the rest of the file cannot hold: reading on would only run into its end, after
    // allocating for nothing.
    size_t left = stream.GetLength() - std::min(stream.GetLength(), stream.GetMarker());
    if (static_cast<size_t>(count) > left / 4)
        Throw_(eofErr, "a sample count runs past the end of the file");
    samples.resize(static_cast<size_t>(count));
    for (int32_t& raw : samples)
        stream >> raw;
}

}

SensorDataRecord SensorDataRecord::Read(LStream& stream)
{
    SensorDataRecord record;
    int32_t version = 0;
    stream >> version;
    if (version != kVersion && version != kOldVersion)
        Throw_(err_UnknownFormat, "version " + std::to_string(version));
    int32_t longTermCount = 0;
    // Version 2 keeps its count ahead of the range.
    if (version == kOldVersion)
        longTermCount = ReadCount(stream);
    stream >> record.minimum >> record.maximum;
    if (version == kVersion)
        longTermCount = ReadCount(stream);
    ReadSamples(stream, longTermCount, record.longTerm);
    if (!record.longTerm.empty()) {
        auto [lowest, highest] = std::minmax_element(record.longTerm.begin(), record.longTerm.end());
        record.minimum = *lowest;
        record.maximum = *highest;
    }
    if (version == kVersion)
        ReadSamples(stream, ReadCount(stream), record.shortTerm);
    return record;
}
