// Wakes the event loop from another thread: a worker raises the signal, and the callback runs on the event
// loop, once for any number of raises since it last ran. Raising allocates nothing and never blocks, and a
// signal outlives the wakeup that made it, so a worker that finishes late raises into the void.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

class UThreadWakeup {
public:
    class Signal {
    public:
        Signal();
        ~Signal();
        Signal(const Signal&) = delete;
        Signal& operator=(const Signal&) = delete;
        // Any thread.
        void Raise();
        // The event loop: takes the raises so far.
        void Clear();
        int GetDescriptor() const { return mDescriptor; }

    private:
        int mDescriptor;
    };

    // An exception thrown by onWake is reported and dropped.
    explicit UThreadWakeup(std::function<void()> onWake);
    ~UThreadWakeup();

    // For the workers to keep.
    std::shared_ptr<Signal> GetSignal() const { return mSignal; }

private:
    std::shared_ptr<Signal> mSignal;
    std::function<void()> mOnWake;
    std::unique_ptr<QSocketNotifier> mNotifier;
};
