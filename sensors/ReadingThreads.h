// The threads that read the sensors. A read may block for as long as a hung chip holds it, so no read may
// wait long behind another: one thread normally does all the work, and whenever jobs are due while no thread
// has started one for kStall, another thread starts. That watch is an alarm on the event loop of the thread
// that made this, set again at every job's start and off while nothing waits, so quick reads wake nothing
// just to be watched. A read stuck in the kernel holds one thread of its own until it returns. Threads idle
// for kIdleEnd end, down to one. Nothing here waits for a job: at the end, threads still in one are left to it.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

class ReadingThreads {
public:
    using Job = std::function<void()>;
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kStall { 25 };
    static constexpr std::chrono::seconds kIdleEnd { 60 };

    // On a thread with an event loop, which watches for stalls.
    ReadingThreads();
    // Drops the jobs not started, ends the idle threads, and leaves those in a job to finish on their own.
    ~ReadingThreads();

    ReadingThreads(const ReadingThreads&) = delete;
    ReadingThreads& operator=(const ReadingThreads&) = delete;

    // Runs each job once, on some thread, in order of submission, none before due: a thread that waits for
    // the time wakes no other. A job must own what it uses: it may run after this object is gone.
    void Submit(std::vector<Job> jobs, Clock::time_point due = Clock::time_point::min());
    // The jobs waiting for their time are due now.
    void Hurry();
    // The jobs not started are dropped.
    void DropWaiting();

    // The threads now, and those of them that are running a job.
    size_t CountThreads() const;
    size_t CountBusy() const;

private:
    struct State;
    // When jobs are due and none started for kStall: an idle thread takes over, else a new one starts.
    void CheckProgress();

    std::shared_ptr<State> mState;
    std::unique_ptr<QSocketNotifier> mAlarmNotifier;
};
