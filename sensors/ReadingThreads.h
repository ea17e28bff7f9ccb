// The threads that read the sensors. A read may block for as long as a hung chip holds it, so no read may
// wait behind another: one thread normally does all the work, and whenever reads wait while no thread has
// started one for kStall, another thread starts. A read stuck in the kernel thus delays the others by at most
// kStall, and holds one thread of its own until it returns. Threads idle for kIdleEnd end, down to one.
// Nothing here waits for a read: at the end, threads still in a read are left to it.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

class ReadingThreads {
public:
    using Job = std::function<void()>;
    static constexpr std::chrono::milliseconds kStall { 25 };
    static constexpr std::chrono::seconds kIdleEnd { 60 };

    ReadingThreads();
    // Drops the jobs not started, ends the idle threads, and leaves those in a job to finish on their own.
    ~ReadingThreads();

    ReadingThreads(const ReadingThreads&) = delete;
    ReadingThreads& operator=(const ReadingThreads&) = delete;

    // Runs each job once, on some thread, in order of submission. A job must own what it uses: it may run
    // after this object is gone.
    void Submit(std::vector<Job> jobs);

    // The threads now, and those of them that are running a job.
    size_t CountThreads() const;
    size_t CountBusy() const;

private:
    struct State;
    std::shared_ptr<State> mState;
};
