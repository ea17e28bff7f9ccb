// One Kelvara writes the data folder: a launch, with or without windows, takes the lock on the folder both
// would write before anything there is read or written. A folder that cannot be made holds nothing to
// protect: start-up tells the user that nothing can be saved.
#pragma once

#include "platform/DataFolderLock.h"

#include <memory>
#include <optional>
#include <string>

// Takes the program folder's lock into lock, waiting at most milliseconds for a Kelvara that is quitting.
// Returns why this launch must not write ("process 123 writes the files in ..."), or nothing when it may.
std::optional<std::string> ClaimDataFolder(std::unique_ptr<DataFolderLock>& lock, int milliseconds);
