#include "sensors/UDisksDriveWatch.h"

#include "framework/LException.h"
#include "framework/UThreadWakeup.h"
#include "sensors/UDisksModule.h"

#include <QThread>

#include <cstdio>

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
