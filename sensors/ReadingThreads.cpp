#include "sensors/ReadingThreads.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

struct ReadingThreads::State : std::enable_shared_from_this<State> {
    std::mutex mutex;
    std::condition_variable work; // a job is waiting, or the end has come
    std::condition_variable watch; // for the supervisor: jobs came, or the end
    std::condition_variable ended; // a thread ended
    std::deque<Job> jobs;
    size_t threads = 0;
    size_t idle = 0;
    size_t busy = 0;
    // Counts the jobs started: the supervisor sees from it whether the threads get on.
    size_t started = 0;
    bool stopping = false;
    bool supervising = false;

    void Spawn() // with the mutex held
    {
        ++threads;
        std::thread([self = shared_from_this()] { self->Work(); }).detach();
    }

    void Work()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            while (jobs.empty() && !stopping) {
                ++idle;
                bool woken = work.wait_for(lock, kIdleEnd, [&] { return !jobs.empty() || stopping; });
                --idle;
                if (!woken && threads > 1)
                    return End();
            }
            if (stopping)
                return End();
            Job job = std::move(jobs.front());
            jobs.pop_front();
            ++busy;
            ++started;
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
            --busy;
        }
    }

    void End() // with the mutex held
    {
        --threads;
        ended.notify_all();
    }

    void Supervise()
    {
        std::unique_lock lock(mutex);
        while (!stopping) {
            if (jobs.empty()) {
                watch.wait(lock, [&] { return !jobs.empty() || stopping; });
                continue;
            }
            size_t before = started;
            watch.wait_for(lock, kStall, [&] { return stopping; });
            // Jobs wait and no thread started one meanwhile: the threads at work are all in long reads. An idle
            // thread takes over, else a new one.
            if (stopping || jobs.empty() || started != before)
                continue;
            if (idle > 0)
                work.notify_one();
            else
                Spawn();
        }
        supervising = false;
        ended.notify_all();
    }
};

ReadingThreads::ReadingThreads()
    : mState(std::make_shared<State>())
{
}

ReadingThreads::~ReadingThreads()
{
    std::unique_lock lock(mState->mutex);
    mState->stopping = true;
    mState->jobs.clear();
    mState->work.notify_all();
    mState->watch.notify_all();
    // The idle threads and the supervisor end at once; a thread in a read is not waited for.
    mState->ended.wait_for(
        lock, std::chrono::seconds(1), [&] { return !mState->supervising && mState->threads == mState->busy; });
}

void ReadingThreads::Submit(std::vector<Job> jobs)
{
    if (jobs.empty())
        return;
    std::lock_guard lock(mState->mutex);
    for (Job& job : jobs)
        mState->jobs.push_back(std::move(job));
    if (mState->threads == 0)
        mState->Spawn();
    if (!mState->supervising) {
        mState->supervising = true;
        std::thread([state = mState] { state->Supervise(); }).detach();
    }
    // One thread takes the jobs one after another; the others may end when it never needs them.
    mState->work.notify_one();
    mState->watch.notify_all();
}

size_t ReadingThreads::CountThreads() const
{
    std::lock_guard lock(mState->mutex);
    return mState->threads;
}

size_t ReadingThreads::CountBusy() const
{
    std::lock_guard lock(mState->mutex);
    return mState->busy;
}
