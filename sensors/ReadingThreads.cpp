#include "sensors/ReadingThreads.h"

#include "framework/LException.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

struct DueJob {
    ReadingThreads::Job job;
    ReadingThreads::Clock::time_point due;
};

}

struct ReadingThreads::State : std::enable_shared_from_this<State> {
    State()
        : alarm(::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK))
    {
        if (alarm < 0)
            Throw_(errno, "cannot make a timer descriptor");
    }
    ~State() { ::close(alarm); }

    std::mutex mutex;
    std::condition_variable work; // a job is waiting, or the end has come
    std::condition_variable ended; // a thread ended
    std::deque<DueJob> jobs;
    size_t threads = 0;
    size_t idle = 0;
    size_t busy = 0;
    Clock::time_point lastStart;
    bool stopping = false;
    // Rings on the event loop once jobs may have waited kStall since they came due or since the last start;
    // set with the mutex held.
    const int alarm;
    bool alarmSet = false;

    void SetAlarm(std::optional<Clock::time_point> at) // with the mutex held
    {
        if (!at && !alarmSet)
            return;
        alarmSet = at.has_value();
        itimerspec spec {};
        if (at) {
            auto fromNow = std::max<Clock::duration>(*at - Clock::now(), std::chrono::microseconds(1));
            auto seconds = std::chrono::duration_cast<std::chrono::seconds>(fromNow);
            spec.it_value.tv_sec = seconds.count();
            spec.it_value.tv_nsec = std::chrono::duration_cast<std::chrono::nanoseconds>(fromNow - seconds).count();
        }
        ::timerfd_settime(alarm, 0, &spec, nullptr);
    }

    // When a stall would show: kStall after the front job came due, or after the last start if later.
    void SetAlarmForWaiting() // with the mutex held
    {
        if (jobs.empty())
            SetAlarm(std::nullopt);
        else
            SetAlarm(std::max(jobs.front().due, lastStart) + kStall);
    }

    void Spawn() // with the mutex held
    {
        ++threads;
        std::thread([self = shared_from_this()] { self->Work(); }).detach();
    }

    void Work()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            while (!stopping && (jobs.empty() || jobs.front().due > Clock::now())) {
                ++idle;
                bool woken = true;
                if (!jobs.empty())
                    work.wait_until(lock, jobs.front().due);
                else if (threads > 1)
                    woken = work.wait_for(lock, kIdleEnd, [&] { return !jobs.empty() || stopping; });
                else // the last thread waits without a time limit: it ends only with the others
                    work.wait(lock, [&] { return !jobs.empty() || stopping; });
                --idle;
                if (!woken && threads > 1)
                    return End();
            }
            if (stopping)
                return End();
            Job job = std::move(jobs.front().job);
            jobs.pop_front();
            ++busy;
            lastStart = Clock::now();
            // Set once for a run of jobs, not at every start: setting a timer costs a virtual machine dearly.
            // A ring before the last start plus kStall only sets it again.
            if (jobs.empty())
                SetAlarm(std::nullopt);
            else if (!alarmSet)
                SetAlarmForWaiting();
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
            --busy;
            if (jobs.empty())
                SetAlarm(std::nullopt);
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
    , mAlarmNotifier(std::make_unique<QSocketNotifier>(mState->alarm, QSocketNotifier::Read))
{
    QObject::connect(mAlarmNotifier.get(), &QSocketNotifier::activated, [this] {
        uint64_t rings = 0;
        [[maybe_unused]] ssize_t read = ::read(mState->alarm, &rings, sizeof rings);
        LException::ReportAndDrop("watching the reading threads", [this] { CheckProgress(); });
    });
}

ReadingThreads::~ReadingThreads()
{
    std::unique_lock lock(mState->mutex);
    mState->stopping = true;
    mState->jobs.clear();
    mState->SetAlarm(std::nullopt);
    mState->work.notify_all();
    // The idle threads end at once; a thread in a job is not waited for.
    mState->ended.wait_for(lock, std::chrono::seconds(1), [&] { return mState->threads == mState->busy; });
}

void ReadingThreads::Submit(std::vector<Job> jobs, Clock::time_point due)
{
    if (jobs.empty())
        return;
    {
        std::lock_guard lock(mState->mutex);
        bool wasEmpty = mState->jobs.empty();
        for (Job& job : jobs)
            mState->jobs.push_back({ std::move(job), due });
        if (mState->threads == 0)
            mState->Spawn();
        // With a thread idle, its start sets the alarm; with all in jobs, the wait is watched from now.
        if (wasEmpty && mState->idle == 0)
            mState->SetAlarm(std::max(due, Clock::now()) + kStall);
    }
    // One thread takes the jobs one after another; the others may end when it never needs them. Woken
    // outside the lock, it need not wait for the lock at once.
    mState->work.notify_one();
}

void ReadingThreads::Hurry()
{
    {
        std::lock_guard lock(mState->mutex);
        auto now = Clock::now();
        for (DueJob& waiting : mState->jobs)
            waiting.due = std::min(waiting.due, now);
        if (!mState->jobs.empty() && mState->idle == 0)
            mState->SetAlarmForWaiting();
    }
    mState->work.notify_one();
}

void ReadingThreads::DropWaiting()
{
    std::lock_guard lock(mState->mutex);
    mState->jobs.clear();
    mState->SetAlarm(std::nullopt);
}

void ReadingThreads::CheckProgress()
{
    bool stalled = false;
    {
        std::lock_guard lock(mState->mutex);
        auto now = Clock::now();
        if (mState->jobs.empty())
            return;
        // The alarm may ring late, or just as a thread got on: only a wait of kStall counts.
        stalled = std::max(mState->jobs.front().due, mState->lastStart) + kStall <= now;
        if (stalled && mState->idle == 0)
            mState->Spawn();
        // Watched on, in case the new thread's first read sticks as well.
        mState->SetAlarm((stalled ? now : std::max(mState->jobs.front().due, mState->lastStart)) + kStall);
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
