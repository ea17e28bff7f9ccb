// The names of the sensors' data files: "NN name", the sensor's index and its name, cut at 31 bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// "%02d %s" of the index and the name, '/' written as ':' (it cannot stand in a file name, and ':' took its
// place on the Mac), cut at 31 bytes without splitting a character.
std::string MakeDataFileName(int32_t index, std::string_view sensorName);
// The index a data file's name starts with; nullopt for a name that does not start with digits and a space.
std::optional<int32_t> DataFileIndex(std::string_view fileName);
