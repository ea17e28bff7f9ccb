// Keeping a damaged file out of the way without losing it.
#pragma once

#include <string>

// Renames the file at path to path + ".damaged", or, when that name is taken, to ".damaged 2",
// ".damaged 3" and so on, as the sensors' data files are kept; an existing file is never replaced.
// Returns the new path, or an empty string (with errno set) when the file could not be moved.
std::string SetAsideDamagedFile(const std::string& path);
