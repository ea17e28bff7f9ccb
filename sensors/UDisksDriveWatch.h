// SATA and SAS drives whose temperature UDisks2 reads through SMART, for machines where no drivetemp hardware
// monitor channel shows them. The talk with UDisks2 on the system bus runs on a thread of its own and is
// asynchronous throughout, so a daemon that hangs holds neither the windows nor discovery; without a system
// bus, or without UDisks2 running there (it is never started through D-Bus activation), there are no drives.
// The client is a module of its own (UDisksModule), loaded only where UDisks2 can run.
#pragma once

#include "sensors/SensorDescription.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class QObject;
class QThread;
class UThreadWakeup;

class UDisksDriveWatch {
public:
    using Found = std::function<void(std::vector<SensorDescription>)>;
    // A drive's stable key is this and the drive's Id, which UDisks2 makes of its model and serial number.
    static constexpr const char* kKeyPrefix = "udisks2:";
    // What the listener hands over: drives that became sensors, and whether the first listing is done.
    struct Offers {
        std::mutex mutex;
        std::condition_variable listed;
        bool firstListingDone = false;
        std::vector<SensorDescription> drives;
    };

    // sysfsRoot is where the block devices' sysfs folders are looked up ("/" for the machine). found is called
    // on the event loop with drives that appear after the first listing was taken (or came later than it was
    // waited for). The system bus is DBUS_SYSTEM_BUS_ADDRESS when set.
    UDisksDriveWatch(std::string sysfsRoot, Found found);
    ~UDisksDriveWatch();

    UDisksDriveWatch(const UDisksDriveWatch&) = delete;
    UDisksDriveWatch& operator=(const UDisksDriveWatch&) = delete;

    // For discovery on a worker thread, which may outlive the watch.
    std::shared_ptr<Offers> GetOffers() const { return mOffers; }
    // Waits at most wait for UDisks2's first listing, and takes the drives offered so far.
    static std::vector<SensorDescription> AwaitFirstListing(
        const std::shared_ptr<Offers>& offers, std::chrono::milliseconds wait);

    // Leaves out the drives whose block device is the device of a sensor already there (drivetemp's channel).
    static void DropCovered(std::vector<SensorDescription>& drives, const std::set<std::string>& sensorDevicePaths);

private:
    void Deliver();

    Found mFound;
    std::shared_ptr<Offers> mOffers;
    std::unique_ptr<UThreadWakeup> mWakeup;
    std::unique_ptr<QThread> mThread;
    // The system's number for mThread once it runs, to see it gone.
    std::atomic<long> mThreadId { 0 };
    // The client, living on mThread; none where UDisks2 cannot run or its module is missing.
    QObject* mListener = nullptr;
};
