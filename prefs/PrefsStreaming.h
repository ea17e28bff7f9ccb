// Reading and writing the counted lists of the preferences file.
#pragma once

#include "prefs/SensorNameList.h"

#include <cstdint>

class LStream;

// Reads a count that was written as an unsigned 32-bit value as a signed one: 0 or less means no entries.
// A count larger than the rest of the stream can hold, at minBytesPerEntry bytes an entry, throws eofErr
// at once: the file is damaged, and reading the entries one by one would only run out later.
int32_t ReadEntryCount(LStream& stream, uint32_t minBytesPerEntry);

void WriteEntryCount(LStream& stream, int32_t count);

// A count, then that many length-prefixed names, each appended to names.
void ReadNameList(LStream& stream, SensorNameList& names);
void WriteNameList(LStream& stream, const SensorNameList& names);
