// A byte stream over a file. The whole file is read when it is opened; what is written is held until
// Commit replaces the file atomically (a temporary file in the same folder, flushed, renamed over the
// old one), so a crash or a full disk never leaves a half-written file behind.
#pragma once

#include "framework/FourCharCode.h"
#include "framework/LMemoryStream.h"

#include <cstdint>
#include <string>

class LException;

// Thrown for a path that names something other than a regular file (a folder, a named pipe, a device);
// the detail says what it is.
constexpr int32_t err_NotAFile = FourCC("nfil");
// Thrown for a file larger than its reader takes; the detail gives both sizes.
constexpr int32_t err_FileTooLarge = FourCC("big ");

class LFileStream : public LMemoryStream {
public:
    LFileStream() = default;

    // Reads the file at path into the stream and puts the marker at its start. Only a regular file of at
    // most mostBytes is read: it is opened without blocking, so a named pipe or a device is refused
    // (err_NotAFile) before anything is read, and so is a larger file (err_FileTooLarge). Throws fnfErr
    // when the file does not exist, and the system's errno for any other failure.
    void OpenForReading(const std::string& path, size_t mostBytes);

    // What a failed OpenForReading means for the file, as the end of a sentence that begins with its name:
    // "is a named pipe, not a file", "cannot be read (Permission denied (13))".
    static std::string DescribeReadFailure(const LException& error);

    // Writes what the stream holds to path atomically; flushToDisk also waits until the data and the
    // rename are on the disk. Throws the system's errno when any step fails; the old file then stays.
    void Commit(const std::string& path, bool flushToDisk = true) const;

    static bool FileExists(const std::string& path);

    // The name Commit gives the temporary file of a save to the file named fileName: a leading dot (hidden,
    // and no name a user would choose), the file's name and ".kelvara-tmp-" with six letters or digits
    // that make it unique ("XXXXXX" here).
    static std::string TemporaryNameOf(const std::string& fileName);

    // Removes the temporary files that an interrupted Commit to path left behind (named as
    // TemporaryNameOf says; nothing else, so a user's "name.backup" stays), each with a message on
    // standard error. Returns how many were removed.
    static int RemoveLeftoverTemporaries(const std::string& path);
};
