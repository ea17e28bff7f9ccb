// A byte stream over a file. The whole file is read when it is opened; what is written is held until
// Commit replaces the file atomically (a temporary file in the same folder, flushed, renamed over the
// old one), so a crash or a full disk never leaves a half-written file behind.
#pragma once

#include "framework/LMemoryStream.h"

#include <string>

class LFileStream : public LMemoryStream {
public:
    LFileStream() = default;

    // Reads the file at path into the stream and puts the marker at its start.
    // Throws fnfErr when the file does not exist, and the system's errno for any other failure.
    void OpenForReading(const std::string& path);

    // Writes what the stream holds to path atomically; flushToDisk also waits until the data and the
    // rename are on the disk. Throws the system's errno when any step fails; the old file then stays.
    void Commit(const std::string& path, bool flushToDisk = true) const;

    static bool FileExists(const std::string& path);

    // Removes the temporary files that an interrupted Commit to path left behind (path + "." and six
    // letters or digits, as Commit names them; nothing else), each with a message on standard error.
    // Returns how many were removed.
    static int RemoveLeftoverTemporaries(const std::string& path);
};
