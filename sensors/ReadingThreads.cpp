#include "sensors/ReadingThreads.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

struct ReadingThreads::State : std::enable_shared_from_this<State> {
    std::mutex mutex;
    std::condition_variable work; // a job is waiting, or the end has come
    std::condition_variable ended; // a thread ended
    std::deque<Job> jobs;
    size_t threads = 0;
    size_t idle = 0;
    size_t busy = 0;
    // Counts the jobs started: a look sees from it whether the threads get on.
    size_t started = 0;
    size_t startedAtLook = 0;
    bool stopping = false;

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
                // The last thread waits for work without a time limit: it ends only with the others.
                bool woken = true;
                if (threads > 1)
                    woken = work.wait_for(lock, kIdleEnd, [&] { return !jobs.empty() || stopping; });
                else
                    work.wait(lock, [&] { return !jobs.empty() || stopping; });
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
    // The idle threads end at once; a thread in a job is not waited for.
    mState->ended.wait_for(lock, std::chrono::seconds(1), [&] { return mState->threads == mState->busy; });
}

void ReadingThreads::Submit(std::vector<Job> jobs)
{
    if (jobs.empty())
        return;
    {
        std::lock_guard lock(mState->mutex);
        // Jobs that come to an empty queue start the wait that a look measures.
        if (mState->jobs.empty())
            mState->startedAtLook = mState->started;
        for (Job& job : jobs)
            mState->jobs.push_back(std::move(job));
        if (mState->threads == 0)
            mState->Spawn();
    }
    // One thread takes the jobs one after another; the others may end when it never needs them. Woken
    // outside the lock, it need not wait for the lock at once.
    mState->work.notify_one();
}

void ReadingThreads::CheckProgress()
{
    bool stalled = false;
    {
        std::lock_guard lock(mState->mutex);
        stalled = !mState->jobs.empty() && mState->started == mState->startedAtLook;
        mState->startedAtLook = mState->started;
        if (stalled && mState->idle == 0)
            mState->Spawn();
    }
    if (stalled)
        mState->work.notify_one();
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
