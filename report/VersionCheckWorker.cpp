#include "report/VersionCheckWorker.h"

#include <QObject>

#include <atomic>
#include <cstdio>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

std::atomic<int> gChecksRunning { 0 };

}

// What a check's thread needs of its worker once the check has ended. The lock keeps the worker from
// going while an outcome is being posted to its receiver.
struct VersionCheckWorker::Mailbox {
    std::mutex lock;
    QObject* receiver = nullptr; // null once the worker is gone
    VersionCheckWorker* worker = nullptr; // used on the receiver's event loop only
};

VersionCheckWorker::VersionCheckWorker(Report report)
    : mReport(std::move(report))
    , mMailbox(std::make_shared<Mailbox>())
    , mReceiver(std::make_unique<QObject>())
{
    mMailbox->receiver = mReceiver.get();
    mMailbox->worker = this;
}

VersionCheckWorker::~VersionCheckWorker()
{
    std::lock_guard guard(mMailbox->lock);
    mMailbox->receiver = nullptr;
    mMailbox->worker = nullptr;
}

int VersionCheckWorker::ChecksRunning()
{
    return gChecksRunning;
}

bool VersionCheckWorker::Start(std::string currentVersion, std::string url)
{
    if (mUnderWay)
        return false;
    ++gChecksRunning;
    try {
        std::thread([mailbox = mMailbox, currentVersion = std::move(currentVersion), url = std::move(url)] {
            Outcome outcome;
            try {
                outcome.code
                    = MacPADCheck(currentVersion.c_str(), url.c_str(), outcome.releaseNotes, outcome.publishedVersion);
                std::lock_guard guard(mailbox->lock);
                if (mailbox->receiver != nullptr) {
                    QMetaObject::invokeMethod(
                        mailbox->receiver, [worker = mailbox->worker, outcome] { worker->Deliver(outcome); },
                        Qt::QueuedConnection);
                }
            } catch (const std::exception& failure) {
                std::fprintf(stderr, "Kelvara: the version check could not report its outcome: %s\n", failure.what());
            }
            --gChecksRunning;
        }).detach();
    } catch (const std::system_error& failure) {
        // The system has no thread to spare: the check fails as one that ran out of memory, on the event
        // loop like any outcome.
        --gChecksRunning;
        std::fprintf(stderr, "Kelvara: the version check cannot start: %s\n", failure.what());
        Outcome outcome;
        outcome.code = kMacPADOutOfMemory;
        QMetaObject::invokeMethod(
            mReceiver.get(), [this, outcome] { Deliver(outcome); }, Qt::QueuedConnection);
    }
    mUnderWay = true;
    return true;
}

void VersionCheckWorker::Deliver(const Outcome& outcome)
{
    mUnderWay = false;
    mReport(outcome);
}
