#include "prefs/PrefsStreaming.h"

#include "framework/LException.h"
#include "framework/LStream.h"

int32_t ReadEntryCount(LStream& stream, uint32_t minBytesPerEntry)
{
    int32_t count = 0;
    stream >> count;
    if (count <= 0)
        return 0;
    size_t length = stream.GetLength();
    size_t marker = stream.GetMarker();
    size_t remaining = marker < length ? length - marker : 0;
    if (static_cast<uint64_t>(count) * minBytesPerEntry > remaining)
        Throw_(eofErr,
            "a count of " + std::to_string(count) + " entries where " + std::to_string(remaining) + " bytes are left");
    return count;
}

void WriteEntryCount(LStream& stream, int32_t count)
{
    stream << static_cast<uint32_t>(count);
}

void ReadNameList(LStream& stream, SensorNameList& names)
{
    // A name takes at least its length byte.
    int32_t count = ReadEntryCount(stream, 1);
    for (int32_t i = 0; i < count; ++i) {
        Str255 name;
        stream >> name;
        names.AddItem(name);
    }
}

void WriteNameList(LStream& stream, const SensorNameList& names)
{
    WriteEntryCount(stream, names.GetCount());
    for (ArrayIndexT i = 1; i <= names.GetCount(); ++i)
        stream << names[i];
}
