#include "sensors/HardwareWatch.h"

#include "framework/LException.h"
#include "framework/UThreadWakeup.h"
#include "platform/Platform.h"
#include "platform/SysfsFile.h"
#include "sensors/SensorDiscovery.h"

#include <mutex>
#include <optional>

struct HardwareWatch::State {
    std::mutex mutex;
    std::string listing;
    bool looking = false;
    std::optional<std::vector<SensorDescription>> found;
};

HardwareWatch::HardwareWatch(std::string baseline, Found found, std::shared_ptr<NvmlSession> nvml)
    : mFound(std::move(found))
    , mNvml(std::move(nvml))
    , mState(std::make_shared<State>())
    , mWakeup(std::make_unique<UThreadWakeup>([this] { Deliver(); }))
{
    mState->listing = std::move(baseline);
}

HardwareWatch::~HardwareWatch() = default;

std::string HardwareWatch::ListHardware()
{
    // A chip that goes and comes back gets a new hwmonN, and each hwmonN leads to its device: the names with
    // where they lead tell every change apart. The number of files in each tells a chip seen while its
    // driver was still making them from the same chip whole.
    std::string folder = SysfsFile::Join(Platform::SysfsRoot(), "/sys/class/hwmon");
    std::string listing;
    for (const std::string& name : SysfsFile::List(folder)) {
        std::string chip = folder + "/" + name;
        listing += name + ">" + SysfsFile::Resolve(chip).value_or("") + " "
            + std::to_string(SysfsFile::List(chip).size()) + "\n";
    }
    return listing;
}

std::function<void()> HardwareWatch::TakeLook()
{
    // The services installed in place of the machine's (in tests) have nothing to come and go.
    if (!Platform::ScansMachine())
        return nullptr;
    {
        std::lock_guard lock(mState->mutex);
        if (mState->looking)
            return nullptr;
        mState->looking = true;
    }
    return [state = mState, signal = mWakeup->GetSignal(), nvml = mNvml] {
        std::string listing = ListHardware();
        std::optional<std::vector<SensorDescription>> found;
        bool changed = false;
        {
            std::lock_guard lock(state->mutex);
            changed = listing != state->listing;
        }
        if (changed)
            found = SensorDiscovery::Discover(false, nvml);
        std::lock_guard lock(state->mutex);
        state->listing = listing;
        state->found = std::move(found);
        state->looking = false;
        if (changed)
            signal->Raise();
    };
}

void HardwareWatch::Deliver()
{
    std::optional<std::vector<SensorDescription>> found;
    {
        std::lock_guard lock(mState->mutex);
        found.swap(mState->found);
    }
    if (found)
        LException::ReportAndDrop("taking on new hardware", [&] { mFound(std::move(*found)); });
}
