// One writer per data folder: a lock on ".kelvara-lock" inside the program's folder, which every Kelvara
// that writes there (with windows or without) takes before it reads or writes a file there.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

class DataFolderLock {
public:
    static constexpr const char* kFileName = ".kelvara-lock";

    enum class Outcome {
        Held, // this process writes the folder
        HeldByAnother, // another process writes it: this one must not
        Unlocked, // the lock cannot be had here (a file system that cannot lock): this process runs, warned
    };

    // folder is the program's folder, which must exist.
    explicit DataFolderLock(const std::string& folder);
    // Lets go of the lock; the kernel does the same when the process ends, however it ends.
    ~DataFolderLock();

    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    // Takes the lock, waiting up to patienceMilliseconds for a holder that is quitting (it keeps the lock
    // until its files are written), and writes this process's id into the lock file. The reasons for
    // Unlocked go to standard error.
    Outcome Take(int patienceMilliseconds);

    // The process id that the holder wrote, after Take gave HeldByAnother; none when it could not be read.
    std::optional<pid_t> GetHolder() const { return mHolder; }
    const std::string& GetPath() const { return mPath; }

private:
    void WriteHolder();
    std::optional<pid_t> ReadHolder() const;
    void Close();

    std::string mPath;
    int mFile = -1;
    std::optional<pid_t> mHolder;
};
