// The entry points of the fuzz targets. Each takes any bytes and must neither crash, nor leak, nor break
// the reader's own rules, whatever the bytes hold. libFuzzer drives them in the fuzz build (tools/fuzz.sh);
// the test suite runs every committed corpus file through them, so a crash once found stays found.
#pragma once

#include <cstddef>
#include <cstdint>

// A sensor's data file, as a sensor reads it at start-up.
int FuzzDataFile(const uint8_t* data, size_t size);
// The preferences file with its window records.
int FuzzPreferences(const uint8_t* data, size_t size);
// The timeline beside the data files.
int FuzzTimelineFile(const uint8_t* data, size_t size);
// The version check's reply from the server, header and body.
int FuzzVersionReply(const uint8_t* data, size_t size);

// Stops the process with a message when a reader broke one of its rules: the fuzzer keeps the input.
void FuzzCheck(bool holds, const char* rule);
