// The program's own folder, "Varnholt's Utilities" inside the user's preferences folder, where the
// preferences file and the sensor data files live.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

constexpr const char* kUtilitiesFolderName = "Varnholt's Utilities";

// Finds the program's folder, creating it (mode 0700, and the preferences folder above it) when create
// is set and it is missing. Returns 0 with outFolder set to its path, else an error code: fnfErr when it
// is missing and create is clear, the system's errno when it cannot be made or is not a folder.
int16_t FindUtilitiesFolder(bool create, std::string& outFolder);

// Looks for the folder named name inside folder; on success folder becomes its path and 0 is returned.
// A missing item gives fnfErr unless create is set, in which case it is created. folder is unchanged on
// failure.
int16_t GetFolderInfo(std::string& folder, const std::string& name, bool create);

// The program's folder's path, whether or not it exists; empty when the user has no preferences folder.
std::string UtilitiesFolderPath();

// Why nothing can be saved in the program's folder, in words for the user ("\"/home/ann/cfg\" is a file, not a
// folder", "Read-only file system"); none when it can. Makes the folder when it is missing.
std::optional<std::string> WhyUtilitiesFolderCannotBeWritten();
