#include "sensors/UDisksDriveWatch.h"

#include "framework/LException.h"
#include "framework/UThreadWakeup.h"
#include "sensors/UDisksListener.h"

#include <QThread>

#include <cstdio>

UDisksDriveWatch::UDisksDriveWatch(std::string sysfsRoot, Found found)
    : mFound(std::move(found))
    , mOffers(std::make_shared<Offers>())
    , mWakeup(std::make_unique<UThreadWakeup>([this] { Deliver(); }))
    , mThread(std::make_unique<QThread>())
{
    mThread->setObjectName(QStringLiteral("UDisks2"));
    mListener = new UDisksListener(std::move(sysfsRoot), mOffers, [signal = mWakeup->GetSignal()] { signal->Raise(); });
    mListener->moveToThread(mThread.get());
    QObject::connect(mThread.get(), &QThread::finished, mListener, &QObject::deleteLater);
    mThread->start();
    QMetaObject::invokeMethod(
        mListener, [listener = mListener] { listener->Start(); }, Qt::QueuedConnection);
}

UDisksDriveWatch::~UDisksDriveWatch()
{
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

std::string UDisksDriveWatch::DriveName(const std::string& model, const std::string& serial)
{
    std::string name = model.empty() ? "Drive" : model;
    if (serial.empty())
        return name;
    // The last four characters, not bytes: a UTF-8 character is never cut.
    size_t start = serial.size();
    for (int characters = 0; characters < 4 && start > 0;) {
        --start;
        if ((static_cast<unsigned char>(serial[start]) & 0xC0) != 0x80)
            ++characters;
    }
    return name + " (" + serial.substr(start) + ")";
}

void UDisksDriveWatch::DropCovered(
    std::vector<SensorDescription>& drives, const std::set<std::string>& sensorDevicePaths)
{
    std::erase_if(drives, [&](const SensorDescription& drive) {
        return !drive.devicePath.empty() && sensorDevicePaths.contains(drive.devicePath);
    });
}
