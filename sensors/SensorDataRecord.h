// What a sensor's data file holds: the range and both histories as raw readings, newest first. Reading is a
// pure function of the bytes, so a file is checked whole before a sensor takes anything from it.
#pragma once

#include <cstdint>
#include <vector>

class LStream;

struct SensorDataRecord {
    static constexpr int32_t kVersion = 3;
    static constexpr int32_t kOldVersion = 2; // no short-term part

    int32_t minimum = 0;
    int32_t maximum = 0;
    std::vector<int32_t> longTerm;
    std::vector<int32_t> shortTerm;

    // Reads a version 3 or version 2 file; the long-term samples, when there are any, replace the stored
    // range. A file that cannot be used throws, and nothing of it is taken: eofErr when it ends before its
    // counts say, err_UnknownFormat for another version (one flipped bit turns 3 into 7) or a negative count.
    static SensorDataRecord Read(LStream& stream);
};
