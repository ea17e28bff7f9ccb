// The threads that read the sensors. A read may block for as long as a hung chip holds it, so no read may
// wait long behind another: one thread normally does all the work, and whenever jobs wait while no thread has
// started one since the owner last looked, another thread starts. The owner looks (CheckProgress) every
// kStall while it waits for the jobs: it waits on its event loop anyway, so quick reads wake no thread just
// to watch them. A read stuck in the kernel holds one thread of its own until it returns. Threads idle for
// kIdleEnd end, down to one. Nothing here waits for a job: at the end, threads still in one are left to it.
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
    // Jobs wait, and none started since the last look (or since they came to an empty queue): the threads at
    // work are all in long reads, so an idle thread takes over, else a new one starts.
    void CheckProgress();

    // The threads now, and those of them that are running a job.
    size_t CountThreads() const;
    size_t CountBusy() const;

private:
    struct State;
    std::shared_ptr<State> mState;
};
