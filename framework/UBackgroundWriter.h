// Writes files on a thread of its own, so that the event loop never waits for the disk: the periodic saves
// hand over what to write, each file replaced atomically and flushed, in the order handed over. A save that
// must not be overtaken (the last one, at quit) waits until the writer is done.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class UBackgroundWriter {
public:
    struct File {
        std::string path;
        std::vector<uint8_t> bytes;
        // What the file is, for the message when it cannot be written ("a sensor's data file").
        std::string what;
    };
    // Called on the writer's thread for each file that could not be written: its path and why.
    using FailureReport = std::function<void(const File& file, const std::string& reason)>;

    explicit UBackgroundWriter(FailureReport onFailure = {});
    // Writes what it was given, then ends.
    ~UBackgroundWriter();

    UBackgroundWriter(const UBackgroundWriter&) = delete;
    UBackgroundWriter& operator=(const UBackgroundWriter&) = delete;

    void Write(std::vector<File> files);
    // Returns once every file handed over so far is written (or has failed).
    void WaitUntilDone();

private:
    void Run();

    FailureReport mOnFailure;
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::deque<File> mQueue;
    bool mWriting = false;
    bool mEnding = false;
    std::thread mThread;
};
