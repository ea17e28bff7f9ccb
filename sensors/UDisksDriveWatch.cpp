#include "sensors/UDisksDriveWatch.h"

#include "framework/LException.h"
#include "framework/UThreadWakeup.h"
#include "sensors/UDisksModule.h"

#include <QThread>

#include <cstdio>
#include <string>
#include <thread>

#include <sys/syscall.h>
#include <unistd.h>

UDisksDriveWatch::UDisksDriveWatch(std::string sysfsRoot, Found found)
    : mFound(std::move(found))
    , mOffers(std::make_shared<Offers>())
    , mWakeup(std::make_unique<UThreadWakeup>([this] { Deliver(); }))
{
    UDisksModule::CreateListener create = UDisksModule::MayBeRunning("/") ? UDisksModule::Load() : nullptr;
    if (!create) {
        std::lock_guard lock(mOffers->mutex);
        mOffers->firstListingDone = true;
        return;
    }
    mThread = std::make_unique<QThread>();
    mThread->setObjectName(QStringLiteral("UDisks2"));
    mListener = create(std::move(sysfsRoot), mOffers, [signal = mWakeup->GetSignal()] { signal->Raise(); });
    mListener->moveToThread(mThread.get());
    QObject::connect(mThread.get(), &QThread::finished, mListener, &QObject::deleteLater);
    QObject::connect(
        mThread.get(), &QThread::started, mThread.get(), [this] { mThreadId.store(::syscall(SYS_gettid)); },
        Qt::DirectConnection);
    mThread->start();
    QMetaObject::invokeMethod(mListener, "Start", Qt::QueuedConnection);
}

UDisksDriveWatch::~UDisksDriveWatch()
{
    if (!mThread)
        return;
    mThread->quit();
    // Only a system bus that does not answer the connection itself keeps the thread; quitting does not wait
    // for it, and the thread is left to end with the process.
    if (!mThread->wait(QDeadlineTimer(2000))) {
        std::fprintf(stderr, "Kelvara: the system bus does not answer; leaving it\n");
        (void)mThread.release();
        return;
    }
    // wait() returns before the thread has run its exit handlers, among them the one that lets go of what Qt
    // keeps for the thread: a program ending at once would leave that behind. It is gone once the system no
    // longer lists the thread.
    if (long id = mThreadId.load(); id > 0) {
        const std::string task = "/proc/self/task/" + std::to_string(id);
        for (int i = 0; i < 1000 && ::access(task.c_str(), F_OK) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::vector<SensorDescription> UDisksDriveWatch::AwaitFirstListing(
    const std::shared_ptr<Offers>& offers, std::chrono::milliseconds wait)
{
    std::unique_lock lock(offers->mutex);
    offers->listed.wait_for(lock, wait, [&] { return offers->firstListingDone; });
    return std::exchange(offers->drives, {});
}

void UDisksDriveWatch::Deliver()
{
    std::vector<SensorDescription> drives;
    {
        std::lock_guard lock(mOffers->mutex);
        drives.swap(mOffers->drives);
    }
    if (!drives.empty())
        LException::ReportAndDrop("taking on drives", [&] { mFound(std::move(drives)); });
}

void UDisksDriveWatch::DropCovered(
    std::vector<SensorDescription>& drives, const std::set<std::string>& sensorDevicePaths)
{
    std::erase_if(drives, [&](const SensorDescription& drive) {
        return !drive.devicePath.empty() && sensorDevicePaths.contains(drive.devicePath);
    });
}
