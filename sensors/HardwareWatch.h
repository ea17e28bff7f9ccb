// Notices chips that appear or come back while the program runs, without a restart. At each look a worker
// thread lists the hardware monitors, which costs a directory listing; only when the list changed does it
// discover anew, and what it finds comes back on the event loop. It works the same on a fixture tree, where
// no kernel event would tell of a new chip. The look goes with the sampler's reads, so that it wakes no
// thread of its own.
#pragma once

#include "sensors/SensorDescription.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class NvmlSession;
class UThreadWakeup;

class HardwareWatch {
public:
    using Found = std::function<void(std::vector<SensorDescription>)>;

    // found is called on the event loop with every sensor of a new discovery. baseline is the hardware's
    // listing when the sensors were discovered; nvml reads the NVIDIA cards that a new discovery finds.
    HardwareWatch(std::string baseline, Found found, std::shared_ptr<NvmlSession> nvml = {});
    ~HardwareWatch();

    // The work of the next look, for a worker thread; empty while the last look is still going. The work owns
    // what it uses: it may run after the watch is gone.
    std::function<void()> TakeLook();

    // What the hardware looks like now: the hardware monitor folders and what each stands for. On a thread.
    static std::string ListHardware();

private:
    struct State;

    void Deliver();

    Found mFound;
    std::shared_ptr<NvmlSession> mNvml;
    std::shared_ptr<State> mState;
    std::unique_ptr<UThreadWakeup> mWakeup;
};
